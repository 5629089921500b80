# Installs the Debian packages the build needs when any is missing; uses sudo
# only when not root.
SENSOR_PACKAGES="cmake make g++ pkg-config libtinyxml-dev libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev nlohmann-json3-dev libedit-dev libpng-dev"

ensure_packages() {
    ensure_packages_only $SENSOR_PACKAGES "$@"
}

# The same for the packages named alone.
ensure_packages_only() {
    local missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    # One failing index (a mirror mid-sync) must not stop the install.
    $sudo apt-get update -qq || true
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
}

# Installs what debian/control's Build-Depends names (and build-essential)
# when dpkg-checkbuilddeps finds any of it missing.
ensure_build_depends() {
    ensure_packages_only dpkg-dev
    dpkg-checkbuilddeps >/dev/null 2>&1 && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq || true
    DEBIAN_FRONTEND=noninteractive $sudo apt-get build-dep -y -qq ./
}

# Cross-builds everything for 32-bit ARM hard-float Linux and runs the tests
# under qemu-arm, then checks the firmware build of the library the same way.
# Sourced by scripts/test after scripts/lib/packages.sh.

# TinyXML and GoogleTest for armhf come through Debian multiarch; both are
# Multi-Arch: same and install beside the host's own. The armhf C and C++
# runtimes are what the tests load under qemu-arm (see the toolchain file).
SENSOR_ARM_PACKAGES="g++-arm-linux-gnueabihf qemu-user libc6:armhf libstdc++6:armhf
    libtinyxml-dev:armhf libgtest-dev:armhf libgmock-dev:armhf libedit-dev:armhf"

# Tests that cannot run under user-mode QEMU, as a ctest -E expression.
# ReportDeathTest uses the "threadsafe" death-test style, which re-executes the
# test binary; without a binfmt_misc entry for ARM (root on the host kernel,
# absent in containers) the kernel refuses to exec an ARM file. What it tests
# does not depend on the target and runs in the host build. The Sensorctl
# tests, and the record-and-replay ones, run the sensorctl binary as a child
# process, which meets the same wall.
SENSOR_ARM_EXCLUDED='^(ReportDeathTest|Sensorctl|RecordReplay|RecordLog)\.'

arm_ensure_packages() {
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    if ! dpkg --print-foreign-architectures | grep -qx armhf; then
        $sudo dpkg --add-architecture armhf
    fi
    # Called in a condition so that one index failing in apt-get update (a
    # mirror caught mid-sync) does not stop the run: apt-get install decides.
    if ! ensure_packages $SENSOR_ARM_PACKAGES; then
        echo "scripts/test --arm: could not install the ARM packages" >&2
        return 1
    fi
}

arm_print_stripped_size() {
    local library=$1/lib/libsensordll.so stripped
    stripped=$(mktemp)
    arm-linux-gnueabihf-strip -o "$stripped" "$library"
    echo "libsensordll.so for ARM, stripped: $(stat -c %s "$stripped") bytes"
    rm -f "$stripped"
}

arm_test() {
    arm_ensure_packages
    local build=${SENSOR_ARM_BUILD:-build/arm}
    # No sanitizers: ASan does not run under qemu-user.
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-arm-linux-gnueabihf.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" -j"$(nproc)"
    arm_print_stripped_size "$build"
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" -E "$SENSOR_ARM_EXCLUDED"
    arm_check_sample_tree "$build"
    arm_firmware_test
}

# The bring-up check as a camera runs it: the ARM sensorctl on a copy of the
# sample tree, under qemu-arm; any failed test fails the run. The warnings
# are counted in the totals, not listed.
arm_check_sample_tree() {
    local tree report code=0
    tree=$(mktemp -d)
    report=$(mktemp)
    cp -r examples/rootfs/. "$tree"
    echo "== sensorctl check of the sample tree under qemu-arm"
    qemu-arm "$1/bin/sensorctl" --root "$tree" --quiet check >"$report" || code=$?
    grep -v $'^\twarn: ' "$report"
    rm -rf "$tree" "$report"
    return "$code"
}

# The firmware build in both string ABIs: its runtime floor, size and NEEDED
# entries (scripts/check-floor), then a host program that loads it with dlopen
# under qemu-arm (tests/firmware). The library's console lines go to a log.
arm_firmware_test() {
    . scripts/lib/firmware.sh
    local abi libraries=()
    for abi in new old; do
        firmware_build "$abi" "build/firmware-$abi" -DSENSOR_FIRMWARE_LOAD_TEST=ON
        libraries+=("build/firmware-$abi/lib/libsensordll.so")
    done
    ./scripts/check-floor "${libraries[@]}"
    for abi in new old; do
        echo "== the $abi-ABI firmware library loaded by a host program under qemu-arm"
        qemu-arm "build/firmware-$abi/bin/firmware_host" "$PWD/build/firmware-$abi/lib/libsensordll.so" \
            examples/rootfs >"build/firmware-$abi/firmware_host.log"
    done
}

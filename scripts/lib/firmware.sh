# Firmware builds of the library for armhf (cmake/Firmware.cmake, with
# Debian's cross compiler through cmake/toolchain-sdk.cmake) and the check of
# what they ask of a camera's userland. Sourced after scripts/lib/packages.sh.

# GCC 4.9's C++ runtime and glibc 2.17; 100 KB on flash, stripped.
SENSOR_FLOOR_GLIBC=2.17
SENSOR_FLOOR_GLIBCXX=3.4.20
SENSOR_FLOOR_CXXABI=1.3.8
SENSOR_FLOOR_BYTES=100000
# The new string ABI is GCC 5's: its own std::__cxx11 symbols carry this
# version in any runtime that has them (a host passing such strings has it).
SENSOR_NEW_STRING_ABI_GLIBCXX=3.4.21
# The C and C++ runtimes, libm, TinyXML; the build's named libraries are added.
SENSOR_FLOOR_NEEDED='^(libc\.so\.6|libm\.so\.6|libstdc\+\+\.so\.6|libgcc_s\.so\.1|libpthread\.so\.0|libdl\.so\.2|librt\.so\.1|libtinyxml\.so.*)$'

# firmware_build new|old BUILD [CMAKE ARGS...]: the library alone. The old
# string ABI compiles TinyXML in: Debian's is built with the new one.
firmware_build() {
    local abi=$1 build=$2
    shift 2
    local args=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-sdk.cmake" -DSENSOR_SDK_PREFIX=arm-linux-gnueabihf-
        -DSENSOR_SDK_SYSROOT=/ -DSENSOR_FIRMWARE=ON -DCMAKE_BUILD_TYPE=Release)
    if [ "$abi" = old ]; then
        ./scripts/fetch-tinyxml build/tinyxml-src
        args+=(-DSENSOR_OLD_STRING_ABI=ON -DSENSOR_BUNDLED_TINYXML=ON -DSENSOR_TINYXML_SOURCE_DIR="$PWD/build/tinyxml-src")
    else
        args+=(-DSENSOR_OLD_STRING_ABI=OFF -DSENSOR_BUNDLED_TINYXML=OFF)
    fi
    cmake -S . -B "$build" "${args[@]}" "$@" >/dev/null
    cmake --build "$build" -j"$(nproc)"
}

# True when version $1 is above version $2.
version_above() {
    [ "$1" != "$2" ] && [ "$(printf '%s\n%s\n' "$1" "$2" | sort -V | tail -n 1)" = "$1" ]
}

# "FAMILY VERSION SYMBOL" for each versioned dynamic symbol of the library.
versioned_symbols() {
    "${SENSOR_FLOOR_TOOLS}objdump" -T "$1" |
        sed -nE 's/.*[ (](GLIBC|GLIBCXX|CXXABI)_([0-9.]+)\)? +([^ ]+)$/\1 \2 \3/p'
}

# floor_check LIBRARY: prints the highest version of each family the library
# needs, its stripped size and NEEDED list; names each symbol above the floor
# and each unexpected NEEDED entry. Returns 1 when any, or when too large.
floor_check() {
    local library=$1 status=0 family floor highest abi=old
    local symbols
    symbols=$(versioned_symbols "$library")
    grep -q 'St7__cxx11' <<<"$symbols" && abi=new
    echo "== $library ($abi string ABI)"
    for family in GLIBC GLIBCXX CXXABI; do
        floor=SENSOR_FLOOR_$family
        floor=${!floor}
        highest=$(awk -v f="$family" '$1 == f && !($3 ~ /St7__cxx11/) { print $2 }' <<<"$symbols" | sort -V | tail -n 1)
        printf '%-8s %-8s floor %s' "$family" "${highest:--}" "$floor"
        [ "$family" = GLIBCXX ] && [ "$abi" = new ] &&
            printf ', besides the new string ABI'"'"'s own %s' "$SENSOR_NEW_STRING_ABI_GLIBCXX"
        echo
    done
    local line version name limit
    while read -r family version name; do
        [ -n "$family" ] || continue
        limit=SENSOR_FLOOR_$family
        limit=${!limit}
        [ "$abi" = new ] && [ "$family" = GLIBCXX ] && [[ "$name" == *St7__cxx11* ]] &&
            limit=$SENSOR_NEW_STRING_ABI_GLIBCXX
        if version_above "$version" "$limit"; then
            echo "above the floor: ${family}_$version $(c++filt "$name")"
            status=1
        fi
    done <<<"$symbols"

    local stripped size
    stripped=$(mktemp)
    "${SENSOR_FLOOR_TOOLS}strip" -o "$stripped" "$library"
    size=$(stat -c %s "$stripped")
    rm -f "$stripped"
    echo "size     $size bytes stripped, limit $SENSOR_FLOOR_BYTES"
    if [ "$size" -gt "$SENSOR_FLOOR_BYTES" ]; then
        echo "above the size limit: $size bytes"
        status=1
    fi

    local needed named
    needed=$("${SENSOR_FLOOR_TOOLS}readelf" -d "$library" | sed -nE 's/.*\(NEEDED\).*\[(.*)\]/\1/p')
    echo "NEEDED   $(echo $needed)"
    named=$(floor_named_libraries "$library")
    for line in $needed; do
        grep -qE "$SENSOR_FLOOR_NEEDED" <<<"$line" && continue
        grep -qxF "$line" <<<"$named" && continue
        echo "unexpected NEEDED: $line"
        status=1
    done
    return $status
}

# The sonames of the ISP and framework libraries the library's build names
# (its CMakeCache.txt, two folders up), one a line.
floor_named_libraries() {
    local cache
    cache=$(dirname "$(dirname "$1")")/CMakeCache.txt
    [ -f "$cache" ] || return 0
    sed -nE 's/^SENSOR_(ISP|FRAMEWORK)_LIBRARY:[A-Z]*=(.+)$/\2/p' "$cache" | while read -r named; do
        case "$named" in
            */*) "${SENSOR_FLOOR_TOOLS}readelf" -d "$named" | sed -nE 's/.*\(SONAME\).*\[(.*)\]/\1/p' ;;
            *) echo "lib$named.so" ;;
        esac
    done
}

SENSOR_FLOOR_TOOLS=${SENSOR_FLOOR_TOOLS-arm-linux-gnueabihf-}

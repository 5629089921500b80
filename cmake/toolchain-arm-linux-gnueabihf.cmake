# Cross-builds for 32-bit ARM hard-float Linux with Debian's cross compiler
# (g++-arm-linux-gnueabihf). TinyXML and GoogleTest come from Debian's armhf
# packages installed through multiarch (libtinyxml-dev:armhf,
# libgtest-dev:armhf, libgmock-dev:armhf): they sit in /usr/lib/arm-linux-gnueabihf
# beside the host's own, so no separate sysroot is needed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(SENSOR_ARM_TRIPLET arm-linux-gnueabihf)

set(CMAKE_C_COMPILER ${SENSOR_ARM_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${SENSOR_ARM_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${SENSOR_ARM_TRIPLET})

# GCC notes each argument whose ARM calling convention changed in GCC 7.1;
# everything here is built by one compiler, so the notes are only noise.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")

# pkg-config reads only the armhf .pc files (plus the arch-independent ones).
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${SENSOR_ARM_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
unset(ENV{PKG_CONFIG_PATH})

# Test programs run under user-mode QEMU: gtest_discover_tests lists the
# tests through it and ctest runs them through it. No -L prefix, so the loader
# is /lib/ld-linux-armhf.so.3 from Debian's armhf C library (libc6:armhf,
# installed by scripts/lib/arm.sh), the same build as the libc.so.6 it then
# finds through the multiarch paths. With -L /usr/arm-linux-gnueabihf the
# cross C library's older loader meets that libc and crashes in
# pthread_create. A test that starts /bin/sh gets the host's shell, which the
# kernel runs natively.
find_program(SENSOR_QEMU_ARM qemu-arm REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${SENSOR_QEMU_ARM})

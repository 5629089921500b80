# Cross-builds with a camera SDK's compiler and sysroot:
#   cmake -S . -B build/firmware -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-sdk.cmake \
#     -DSENSOR_SDK_PREFIX=/opt/sdk/bin/arm-linux-gnueabi- -DSENSOR_SDK_SYSROOT=/opt/sdk/sysroot \
#     -DSENSOR_FIRMWARE=ON -DCMAKE_BUILD_TYPE=Release
# SENSOR_SDK_PREFIX is the compiler's name less "gcc"/"g++" (a path or a name
# on PATH); libraries and headers are searched in the sysroot only.
set(SENSOR_SDK_PREFIX "" CACHE STRING "Compiler prefix, e.g. /opt/sdk/bin/arm-linux-gnueabi-")
set(SENSOR_SDK_SYSROOT "" CACHE PATH "The SDK's sysroot (its C library, C++ runtime, TinyXML)")
# Try-compile projects read this file again without the cache: they take
# the two values from the environment.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SENSOR_SDK_PREFIX SENSOR_SDK_SYSROOT)
foreach(variable SENSOR_SDK_PREFIX SENSOR_SDK_SYSROOT)
  if(${variable})
    set(ENV{${variable}} "${${variable}}")
  elseif(DEFINED ENV{${variable}})
    set(${variable} "$ENV{${variable}}")
  endif()
endforeach()

if(NOT SENSOR_SDK_PREFIX)
  message(FATAL_ERROR "SENSOR_SDK_PREFIX is not set (compiler prefix such as arm-linux-gnueabi-)")
endif()
find_program(SENSOR_SDK_CXX NAMES ${SENSOR_SDK_PREFIX}g++ NO_CACHE)
if(NOT SENSOR_SDK_CXX)
  message(FATAL_ERROR "SENSOR_SDK_PREFIX: no compiler ${SENSOR_SDK_PREFIX}g++")
endif()
if(NOT SENSOR_SDK_SYSROOT)
  message(FATAL_ERROR "SENSOR_SDK_SYSROOT is not set (the SDK's sysroot folder)")
endif()
if(NOT IS_DIRECTORY "${SENSOR_SDK_SYSROOT}")
  message(FATAL_ERROR "SENSOR_SDK_SYSROOT: no folder ${SENSOR_SDK_SYSROOT}")
endif()

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER ${SENSOR_SDK_PREFIX}gcc)
set(CMAKE_CXX_COMPILER ${SENSOR_SDK_CXX})
set(CMAKE_SYSROOT ${SENSOR_SDK_SYSROOT})
set(CMAKE_FIND_ROOT_PATH ${SENSOR_SDK_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# GCC 7.1 changed the ARM passing of some arguments and notes each: with one
# compiler for the whole library they are only noise.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")

# Firmware build (SENSOR_FIRMWARE=ON): libsensordll.so alone, for a camera's
# userland. No stand-ins, tools or tests: the host framework's symbols stay
# undefined and bind at load time to the host process (or to the library
# named in SENSOR_FRAMEWORK_LIBRARY); the ISP library is the firmware's own.
# Included by the top-level CMakeLists.txt before anything else is defined.

set(SENSOR_ISP_LIBRARY "" CACHE STRING
  "The firmware's ISP library (a name such as isp_platform, or a path); empty: the host process provides ia_ioctrl_v2")
set(SENSOR_FRAMEWORK_LIBRARY "" CACHE STRING
  "The firmware's host-framework library (name or path); empty: the host process provides it")
option(SENSOR_FIRMWARE_LOAD_TEST "Also build the host-style load test (tests/firmware)" OFF)
option(SENSOR_OLD_STRING_ABI "std::string of GCC before 5 (copy-on-write): for a host built by such a compiler" OFF)
option(SENSOR_BUNDLED_TINYXML "Compile TinyXML into the library, hidden, from SENSOR_TINYXML_SOURCE_DIR" OFF)
set(SENSOR_TINYXML_SOURCE_DIR "" CACHE PATH "TinyXML 2.6.2 sources (scripts/fetch-tinyxml) for SENSOR_BUNDLED_TINYXML")

if(SENSOR_OLD_STRING_ABI)
  add_compile_definitions(_GLIBCXX_USE_CXX11_ABI=0)
endif()
# The library's own members of the controller class stay out of the dynamic
# symbol table (SensorApi.h): about 2 KB of names and entries on flash.
add_compile_definitions(SENSOR_HIDE_INTERNALS)

# Small on flash: size-optimised, each function and object in its own section
# so that the link drops what nothing reaches, and optimised across files at
# the link when the compiler can.
add_compile_options(-Os -ffunction-sections -fdata-sections)
include(CheckIPOSupported)
check_ipo_supported(RESULT SENSOR_LINK_TIME_OPTIMISATION LANGUAGES CXX)
set(CMAKE_INTERPROCEDURAL_OPTIMIZATION ${SENSOR_LINK_TIME_OPTIMISATION})
# The runtime floor (GCC 4.9's libstdc++, glibc 2.17): no sized operator
# delete (CXXABI_1.3.9; compilers before GCC 5 know neither it nor the flag);
# see also sensor/firmware/RuntimeFloor.cpp.
include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-fno-sized-deallocation SENSOR_HAS_SIZED_DEALLOCATION)
if(SENSOR_HAS_SIZED_DEALLOCATION)
  add_compile_options(-fno-sized-deallocation)
endif()

# TinyXML: the sysroot's library, or compiled in with hidden visibility. The
# target name is the one the PC build gets from pkg-config.
add_library(PkgConfig::TINYXML INTERFACE IMPORTED)
if(SENSOR_BUNDLED_TINYXML)
  if(NOT EXISTS "${SENSOR_TINYXML_SOURCE_DIR}/tinyxmlparser.cpp")
    message(FATAL_ERROR "SENSOR_TINYXML_SOURCE_DIR: no TinyXML sources (scripts/fetch-tinyxml DIR)")
  endif()
  set(SENSOR_TINYXML_SOURCES
    ${SENSOR_TINYXML_SOURCE_DIR}/tinyxml.cpp ${SENSOR_TINYXML_SOURCE_DIR}/tinystr.cpp
    ${SENSOR_TINYXML_SOURCE_DIR}/tinyxmlerror.cpp ${SENSOR_TINYXML_SOURCE_DIR}/tinyxmlparser.cpp)
  add_library(tinyxml_objects OBJECT ${SENSOR_TINYXML_SOURCES})
  # Not our code: built as its makers wrote it, without our warnings. It
  # throws nothing, asks nothing of the host (no framework exception crosses
  # it) and never asks a type at run time: no exception tables, no type
  # information. The cost: running out of memory inside a parse ends the
  # process instead of reaching a handler of the host.
  target_compile_options(tinyxml_objects PRIVATE -w -fvisibility=hidden -fvisibility-inlines-hidden
    -fno-exceptions -fno-rtti)
  target_compile_definitions(tinyxml_objects PUBLIC TIXML_USE_STL)
  set_target_properties(PkgConfig::TINYXML PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${SENSOR_TINYXML_SOURCE_DIR}"
    INTERFACE_COMPILE_DEFINITIONS TIXML_USE_STL)
else()
  find_path(SENSOR_TINYXML_INCLUDE_DIR tinyxml.h)
  find_library(SENSOR_TINYXML_LIBRARY tinyxml)
  if(NOT SENSOR_TINYXML_INCLUDE_DIR OR NOT SENSOR_TINYXML_LIBRARY)
    message(FATAL_ERROR "SENSOR_TINYXML_LIBRARY: no TinyXML in the sysroot (or SENSOR_BUNDLED_TINYXML)")
  endif()
  set_target_properties(PkgConfig::TINYXML PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${SENSOR_TINYXML_INCLUDE_DIR}"
    INTERFACE_COMPILE_DEFINITIONS TIXML_USE_STL
    INTERFACE_LINK_LIBRARIES "${SENSOR_TINYXML_LIBRARY}")
endif()

# Links the firmware library: called by sensor/CMakeLists.txt in place of the
# stand-ins.
function(sensor_link_firmware target)
  target_link_libraries(${target} PUBLIC technic_headers isp_headers PkgConfig::TINYXML)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/sensor/firmware/RuntimeFloor.cpp)
  # RuntimeFloor.cpp: hidden like the rest of the library.
  target_compile_options(${target} PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
  if(SENSOR_BUNDLED_TINYXML)
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:tinyxml_objects>)
  endif()
  # --as-needed: no NEEDED entry for a library nothing is taken from.
  # -Bsymbolic-functions: the library's calls of its own exported functions
  # go straight to them, not through the PLT (a host does not replace them).
  target_link_options(${target} PRIVATE -Wl,--as-needed -Wl,--gc-sections -Wl,-O1 -Wl,-Bsymbolic-functions)
  if(SENSOR_ISP_LIBRARY)
    target_link_libraries(${target} PRIVATE ${SENSOR_ISP_LIBRARY})
  endif()
  if(SENSOR_FRAMEWORK_LIBRARY)
    target_link_libraries(${target} PRIVATE ${SENSOR_FRAMEWORK_LIBRARY})
  endif()
endfunction()

add_subdirectory(technic)
add_subdirectory(isp)
add_subdirectory(sensor)
if(SENSOR_FIRMWARE_LOAD_TEST)
  add_subdirectory(tests/firmware)
endif()

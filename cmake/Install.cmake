# Installs the library, its public headers, the two stand-in libraries (a
# camera installs its own in their place), a CMake package and a pkg-config
# file.
include(CMakePackageConfigHelpers)

install(TARGETS sensordll technic_sim isp_sim technic_headers isp_headers
        EXPORT SensorDllTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sensor/include/sensor DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT SensorDllTargets NAMESPACE SensorDll:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/SensorDll)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/SensorDllConfig.cmake.in
  ${PROJECT_BINARY_DIR}/SensorDllConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/SensorDll)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/SensorDllConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/SensorDllConfig.cmake ${PROJECT_BINARY_DIR}/SensorDllConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/SensorDll)

configure_file(${PROJECT_SOURCE_DIR}/cmake/sensordll.pc.in ${PROJECT_BINARY_DIR}/sensordll.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/sensordll.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

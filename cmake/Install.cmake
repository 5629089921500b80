# Installs the library, its public headers, the two stand-in libraries (a
# camera installs its own in their place), a CMake package and a pkg-config
# file.
include(CMakePackageConfigHelpers)

# Installed libraries find each other, and sensorctl finds them, through
# RUNPATH relative to their own place.
file(RELATIVE_PATH SENSOR_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(sensordll technic_sim isp_sim PROPERTIES INSTALL_RPATH "$ORIGIN")
if(TARGET sensorctl)
  set_target_properties(sensorctl PROPERTIES INSTALL_RPATH "$ORIGIN/${SENSOR_BIN_TO_LIB}")
endif()

install(TARGETS sensordll technic_sim isp_sim technic_headers isp_headers
        EXPORT SensorDllTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sensor/include/sensor DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT library)
install(EXPORT SensorDllTargets NAMESPACE SensorDll:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/SensorDll COMPONENT library)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/SensorDllConfig.cmake.in
  ${PROJECT_BINARY_DIR}/SensorDllConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/SensorDll)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/SensorDllConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/SensorDllConfig.cmake ${PROJECT_BINARY_DIR}/SensorDllConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/SensorDll COMPONENT library)

file(RELATIVE_PATH SENSOR_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
configure_file(${PROJECT_SOURCE_DIR}/cmake/sensordll.pc.in ${PROJECT_BINARY_DIR}/sensordll.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/sensordll.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT library)

# The simulator: the stand-ins' control headers (clock, power, ISP trace),
# their pkg-config file, and sensorctl with its manual and completion.
install(FILES ${PROJECT_SOURCE_DIR}/technic/sim/SimClock.h ${PROJECT_SOURCE_DIR}/technic/sim/SimPower.h
              ${PROJECT_SOURCE_DIR}/isp/sim/isp_sim.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sensordll-sim COMPONENT sim)
configure_file(${PROJECT_SOURCE_DIR}/cmake/sensordll-sim.pc.in ${PROJECT_BINARY_DIR}/sensordll-sim.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/sensordll-sim.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT sim)
if(TARGET sensorctl)
  install(TARGETS sensorctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT sim)
  if(NOT CMAKE_CROSSCOMPILING)
    # The manual comes from the same command table as --help.
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/sensorctl.1
      COMMAND sensorctl --man > ${PROJECT_BINARY_DIR}/sensorctl.1
      DEPENDS sensorctl VERBATIM)
    add_custom_target(sensorctl_man ALL DEPENDS ${PROJECT_BINARY_DIR}/sensorctl.1)
    install(FILES ${PROJECT_BINARY_DIR}/sensorctl.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT sim)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/tools/sensorctl/sensorctl.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME sensorctl COMPONENT sim)
endif()

# Debian packages: "cpack -G DEB" in the build folder gives the library and the simulator.
set(CPACK_PACKAGE_NAME sensordll)
set(CPACK_PACKAGE_CONTACT "camera firmware team")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The stand-ins are private to the package: dependencies are named by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libsensordll)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_DEPENDS "libtinyxml-dev, libstdc++6, libc6, pkg-config")
set(CPACK_DEBIAN_SIM_PACKAGE_NAME sensordll-sim)
set(CPACK_DEBIAN_SIM_PACKAGE_DEPENDS "libsensordll (= ${PROJECT_VERSION}), libedit2, libcpp-httplib0.11")
set(CPACK_COMPONENTS_ALL library sim)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)

# Installs the library, its public headers, the two stand-in libraries (a
# camera brings its own in their place), a CMake package and pkg-config files.
include(CMakePackageConfigHelpers)

# The stand-ins are private to the library: a folder of their own under the
# library folder, where no other program looks for libisp.so or libtechnic.so.
set(SENSOR_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/sensordll)
# The library and sensorctl find them through RUNPATH relative to their own place.
file(RELATIVE_PATH SENSOR_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(sensordll PROPERTIES INSTALL_RPATH "$ORIGIN/sensordll")
if(TARGET sensorctl)
  set_target_properties(sensorctl PROPERTIES
    INSTALL_RPATH "$ORIGIN/${SENSOR_BIN_TO_LIB}:$ORIGIN/${SENSOR_BIN_TO_LIB}/sensordll")
endif()

install(TARGETS sensordll technic_headers isp_headers
        EXPORT SensorDllTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library)
install(TARGETS technic_sim isp_sim
        EXPORT SensorDllTargets
        LIBRARY DESTINATION ${SENSOR_PRIVATE_LIBDIR} COMPONENT sim)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sensor/include/sensor DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT library)
install(EXPORT SensorDllTargets NAMESPACE SensorDll:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/SensorDll COMPONENT library)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/SensorDllConfig.cmake.in
  ${PROJECT_BINARY_DIR}/SensorDllConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/SensorDll)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/SensorDllConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/SensorDllConfig.cmake ${PROJECT_BINARY_DIR}/SensorDllConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/SensorDll COMPONENT library)

# The pkg-config files are written when installing, for the prefix installed
# to (cmake --install --prefix or the package's /usr).
function(sensor_install_pkgconfig name component)
  set(written ${PROJECT_BINARY_DIR}/pkgconfig/${name}.pc)
  install(CODE "set(SENSOR_PC_TEMPLATE ${PROJECT_SOURCE_DIR}/cmake/${name}.pc.in)
                set(SENSOR_PC_OUT ${written})
                set(SENSOR_PC_SYSTEM_DIRS \"${CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES}\")
                set(CMAKE_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR})
                set(CMAKE_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
                set(PROJECT_VERSION ${PROJECT_VERSION})
                include(${PROJECT_SOURCE_DIR}/cmake/WritePkgConfig.cmake)" COMPONENT ${component})
  install(FILES ${written} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT ${component})
endfunction()
sensor_install_pkgconfig(sensordll library)

# The simulator: the stand-ins' control headers (clock, power, ISP trace),
# their pkg-config file, and sensorctl with its manual and completion.
install(FILES ${PROJECT_SOURCE_DIR}/technic/sim/SimClock.h ${PROJECT_SOURCE_DIR}/technic/sim/SimPower.h
              ${PROJECT_SOURCE_DIR}/isp/sim/isp_sim.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sensordll-sim COMPONENT sim)
sensor_install_pkgconfig(sensordll-sim sim)
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


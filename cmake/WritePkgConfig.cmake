# Run at install time: writes SENSOR_PC_OUT from SENSOR_PC_TEMPLATE for the
# prefix being installed to, as plain absolute paths (no "..", no "//").
get_filename_component(SENSOR_PC_PREFIX "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
# A run path only where the linker and loader would not look anyway.
get_filename_component(SENSOR_PC_LIBDIR "${SENSOR_PC_PREFIX}/${CMAKE_INSTALL_LIBDIR}" ABSOLUTE)
list(FIND SENSOR_PC_SYSTEM_DIRS "${SENSOR_PC_LIBDIR}" SENSOR_PC_LIBDIR_FOUND)
set(SENSOR_PC_RPATH "")
if(SENSOR_PC_LIBDIR_FOUND EQUAL -1)
  set(SENSOR_PC_RPATH " -Wl,-rpath,\${libdir}")
endif()
configure_file("${SENSOR_PC_TEMPLATE}" "${SENSOR_PC_OUT}" @ONLY)

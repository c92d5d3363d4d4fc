# Installation: the libraries, headers, the CMake package and the pkg-config file.
include(CMakePackageConfigHelpers)
set(QUENDALTEXT_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QuendalText)
# The text library finds the Log library beside it wherever the tree is installed.
set_target_properties(QuendalText PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS QuendalLog QuendalText EXPORT QuendalTextTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY include/QuendalText include/QuendalLog DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT QuendalTextTargets NAMESPACE QuendalText:: DESTINATION ${QUENDALTEXT_PACKAGE_DIR})
configure_package_config_file(cmake/QuendalTextConfig.cmake.in
  ${PROJECT_BINARY_DIR}/QuendalTextConfig.cmake INSTALL_DESTINATION ${QUENDALTEXT_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuendalTextConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QuendalTextConfig.cmake
              ${PROJECT_BINARY_DIR}/QuendalTextConfigVersion.cmake
  DESTINATION ${QUENDALTEXT_PACKAGE_DIR})

# The pkg-config file finds its prefix from its own place, so the installed tree can be moved.
file(RELATIVE_PATH QUENDALTEXT_PC_PREFIX_FROM_PCFILEDIR
  ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" QUENDALTEXT_PC_PREFIX_FROM_PCFILEDIR "${QUENDALTEXT_PC_PREFIX_FROM_PCFILEDIR}")
foreach(kind LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${kind}}")
    set(QUENDALTEXT_PC_${kind} "${CMAKE_INSTALL_${kind}}")
  else()
    set(QUENDALTEXT_PC_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
  endif()
endforeach()
configure_file(cmake/QuendalText.pc.in ${PROJECT_BINARY_DIR}/QuendalText.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/QuendalText.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

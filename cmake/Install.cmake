# Installation: the libraries, headers, the CMake package and the pkg-config file, in two
# components: "runtime" (the shared libraries) and "development" (what building against them
# needs). tools/qtext adds "tool". The Debian packages (cmake/Package.cmake) are these three.
include(CMakePackageConfigHelpers)
set(QUENDALTEXT_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QuendalText)
# Installed programs and libraries find the libraries by a path relative to themselves, unless
# they go where the loader looks anyway (/usr/lib/x86_64-linux-gnu for the Debian packages).
if(CMAKE_INSTALL_FULL_LIBDIR IN_LIST CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES
   OR CMAKE_INSTALL_FULL_LIBDIR IN_LIST CMAKE_PLATFORM_IMPLICIT_LINK_DIRECTORIES)
  set(QUENDALTEXT_INSTALL_RPATH OFF)
else()
  set(QUENDALTEXT_INSTALL_RPATH ON)
  # The text library finds the Log library beside it.
  set_target_properties(QuendalText PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()
install(TARGETS QuendalLog QuendalText EXPORT QuendalTextTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(DIRECTORY include/QuendalText include/QuendalLog DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        COMPONENT development)
install(EXPORT QuendalTextTargets NAMESPACE QuendalText:: DESTINATION ${QUENDALTEXT_PACKAGE_DIR}
        COMPONENT development)
configure_package_config_file(cmake/QuendalTextConfig.cmake.in
  ${PROJECT_BINARY_DIR}/QuendalTextConfig.cmake INSTALL_DESTINATION ${QUENDALTEXT_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuendalTextConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QuendalTextConfig.cmake
              ${PROJECT_BINARY_DIR}/QuendalTextConfigVersion.cmake
  DESTINATION ${QUENDALTEXT_PACKAGE_DIR} COMPONENT development)

# The pkg-config file finds its prefix from its own place, so the installed tree can be moved;
# a system package names its prefix, so that pkg-config leaves out the system's own paths.
if(QUENDALTEXT_DEBIAN_PACKAGE)
  set(QUENDALTEXT_PC_PREFIX ${CMAKE_INSTALL_PREFIX})
else()
  file(RELATIVE_PATH prefix_from_pcfiledir ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
  string(REGEX REPLACE "/$" "" prefix_from_pcfiledir "${prefix_from_pcfiledir}")
  set(QUENDALTEXT_PC_PREFIX "\${pcfiledir}/${prefix_from_pcfiledir}")
endif()
foreach(kind LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${kind}}")
    set(QUENDALTEXT_PC_${kind} "${CMAKE_INSTALL_${kind}}")
  else()
    set(QUENDALTEXT_PC_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
  endif()
endforeach()
configure_file(cmake/QuendalText.pc.in ${PROJECT_BINARY_DIR}/QuendalText.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/QuendalText.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT development)

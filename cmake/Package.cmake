# Debian packages of the three install components, built by CPack (`make package`):
#   libquendaltext1     "runtime": libQuendalText.so.1 and libQuendalLog.so.1
#   libquendaltext-dev  "development": headers, CMake package, QuendalText.pc, the .so links
#   qtext               "tool": the program and its manual page
# dpkg-shlibdeps finds what the libraries and the program need from other packages; the
# packages among themselves depend on the same version. Each package carries the copyright
# file and the changelog of debian/ in its /usr/share/doc directory.
set(QUENDALTEXT_DEBIAN_NAMES runtime libquendaltext1 development libquendaltext-dev tool qtext)

# The changelog goes compressed, as Debian's policy asks; the package version is the project's,
# with no Debian revision (the packages come from the project itself).
set(changelog ${PROJECT_BINARY_DIR}/debian/changelog.gz)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/debian)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/debian/changelog ${PROJECT_BINARY_DIR}/debian/changelog
  COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/debian/changelog
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog VERBATIM)
add_custom_target(quendaltext_debian_changelog ALL DEPENDS ${changelog})
while(QUENDALTEXT_DEBIAN_NAMES)
  list(POP_FRONT QUENDALTEXT_DEBIAN_NAMES component package)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package})
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${changelog}
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
  list(APPEND CPACK_COMPONENTS_ALL ${component})
endwhile()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quendaltext)
set(CPACK_PACKAGE_VENDOR "QuendalText developers")
set(CPACK_PACKAGE_CONTACT "QuendalText maintainers <maintainers@users.noreply.c-seed-e5e41c15.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# qtext's dependency on the libraries is the component dependency below; dpkg-shlibdeps finds
# them in the runtime package's staging tree, where no package owns them yet.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${PROJECT_BINARY_DIR}/_CPack_Packages/Linux/DEB/${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-Linux/runtime${CMAKE_INSTALL_FULL_LIBDIR})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
# Each package's description has its own first line, the synopsis: CPack would put the
# project's summary before it.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/debian/CPackProjectConfig.cmake)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_COMPONENT_TOOL_DEPENDS runtime)

# The paragraph every package's description begins with.
set(quendaltext_about "QuendalText gives C++ programs and libraries one string type for Unicode text:
a UTF-16 string that caches its length and its character count, a type for one
character, C functions that convert between UTF-8, UTF-16 and UTF-32 through
ICU, and exceptions that carry file, function, line and message (the
QuendalLog library).")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "UTF-16 text strings with cached counts - shared libraries
${quendaltext_about}

This package holds the shared libraries libQuendalText and libQuendalLog.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libicu-dev")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "UTF-16 text strings with cached counts - development files
${quendaltext_about}

This package holds the C++17 headers, the CMake package
(find_package(QuendalText), target QuendalText::QuendalText) and the
pkg-config file QuendalText.pc.")

set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION text)
set(CPACK_COMPONENT_TOOL_DESCRIPTION
    "measure, convert, search and cut Unicode text
qtext puts the QuendalText library to work on files: it reports a text's sizes
in each Unicode encoding, its code points, grapheme clusters and lines;
converts between every encoding that ICU knows; finds lines by pattern,
optionally ignoring case by full Unicode case folding; cuts a text into
tokens; and maps it to upper or lower case by Unicode's full mappings.")

include(CPack)

# Windows on x86 with mingw-w64 (see mingw-w64.cmake).
set(QUENDALTEXT_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

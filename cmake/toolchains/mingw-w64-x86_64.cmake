# Windows on x86-64 with mingw-w64 (see mingw-w64.cmake).
set(QUENDALTEXT_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

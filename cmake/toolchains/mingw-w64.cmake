# Cross-compiling for Windows with Debian's mingw-w64 compilers, posix thread model. Included by
# mingw-w64-x86_64.cmake and mingw-w64-i686.cmake, which set QUENDALTEXT_MINGW_ARCH.
#
# Libraries and packages are looked up in mingw's own tree and in the dependencies that
# scripts/windows-deps builds into QUENDALTEXT_WINDOWS_DEPS (default
# ~/.cache/quendaltext/windows/ARCH): ICU (find_package(ICU COMPONENTS uc i18n) gives ICU::uc
# and ICU::i18n, from libicuuc.dll.a and libicuin.dll.a), and GoogleTest.
# Programs that the build or the tests run go through scripts/wine-run, for x86-64 always and
# for x86 with QUENDALTEXT_WINE_I686 (wine must then run 32-bit programs: wine32 installed, on a
# kernel that runs them; scripts/test-windows sets it after probing).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QUENDALTEXT_MINGW_ARCH})
set(QUENDALTEXT_MINGW_TRIPLE ${QUENDALTEXT_MINGW_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${QUENDALTEXT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUENDALTEXT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUENDALTEXT_MINGW_TRIPLE}-windres)

if(NOT QUENDALTEXT_WINDOWS_DEPS)
  if(DEFINED ENV{QUENDALTEXT_CACHE})
    set(QUENDALTEXT_WINDOWS_DEPS $ENV{QUENDALTEXT_CACHE}/windows/${QUENDALTEXT_MINGW_ARCH})
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(QUENDALTEXT_WINDOWS_DEPS $ENV{XDG_CACHE_HOME}/quendaltext/windows/${QUENDALTEXT_MINGW_ARCH})
  else()
    set(QUENDALTEXT_WINDOWS_DEPS $ENV{HOME}/.cache/quendaltext/windows/${QUENDALTEXT_MINGW_ARCH})
  endif()
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${QUENDALTEXT_MINGW_TRIPLE} ${QUENDALTEXT_WINDOWS_DEPS}/icu
    ${QUENDALTEXT_WINDOWS_DEPS}/gtest)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUENDALTEXT_MINGW_ARCH QUENDALTEXT_WINDOWS_DEPS)

if(QUENDALTEXT_MINGW_ARCH STREQUAL "x86_64" OR QUENDALTEXT_WINE_I686)
  get_filename_component(_quendaltext_root ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${_quendaltext_root}/scripts/wine-run
      --triple=${QUENDALTEXT_MINGW_TRIPLE} --path=${QUENDALTEXT_WINDOWS_DEPS}/icu/bin)
endif()

# Sanitizer and fuzzing instrumentation for every target of the project, libraries included, so
# that a fault inside the library is seen and its coverage steers the fuzzers.
#
# QUENDALTEXT_SANITIZE: a list of sanitizers ("address;undefined", "thread"), empty for none.
# QUENDALTEXT_BUILD_FUZZERS: adds libFuzzer's coverage instrumentation (clang only).
#
# Sets QUENDALTEXT_SANITIZER_FLAGS, the flags a program built outside the project (the install
# test's consumer) needs to link against the instrumented libraries, and
# QUENDALTEXT_LIBRARIES_ALLOW_UNDEFINED when the libraries must leave the runtime's symbols open.

set(QUENDALTEXT_SANITIZER_FLAGS "")
set(QUENDALTEXT_LIBRARIES_ALLOW_UNDEFINED OFF)
set(_sanitizers ${QUENDALTEXT_SANITIZE})
if(QUENDALTEXT_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QUENDALTEXT_BUILD_FUZZERS needs clang (libFuzzer)")
  endif()
  list(PREPEND _sanitizers fuzzer-no-link)
  if(NOT QUENDALTEXT_SANITIZE)
    list(APPEND _sanitizers address undefined)
  endif()
endif()

if(_sanitizers)
  list(JOIN _sanitizers "," _joined)
  set(_compile -fsanitize=${_joined} -fno-omit-frame-pointer)
  if("undefined" IN_LIST _sanitizers)
    list(APPEND _compile -fno-sanitize-recover=all)
  endif()
  # fuzzer-no-link is a compile-time instrumentation only; the fuzzer programs add -fsanitize=fuzzer.
  list(REMOVE_ITEM _sanitizers fuzzer-no-link)
  list(JOIN _sanitizers "," _runtime)
  set(_link -fsanitize=${_runtime})
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # clang links its runtime statically into each program, and the instrumented shared
    # libraries take the runtime's symbols from the program that loads them; so they are
    # linked with undefined symbols allowed. (A shared runtime would come after libstdc++ in
    # libFuzzer programs, which the runtime refuses.)
    set(QUENDALTEXT_LIBRARIES_ALLOW_UNDEFINED ON)
  endif()
  add_compile_options(${_compile})
  add_link_options(${_link})
  list(JOIN _compile " " _compile_string)
  list(JOIN _link " " _link_string)
  set(QUENDALTEXT_SANITIZER_FLAGS "${_compile_string} ${_link_string}")
endif()

# shellcheck shell=bash
# Sourced by the install, package and subproject tests: their messages, and their consumers built
# and run away from the build tree's libraries (without LD_LIBRARY_PATH).
step() { echo "--- $*"; }
fail() { echo "${0##*/}: $*" >&2 && exit 1; }

# cmake_consumer SOURCE BUILD [CMAKE_OPTION...]: configures and builds the project SOURCE in BUILD
# and runs its program.
cmake_consumer() {
  { cmake -S "$1" -B "$2" "${@:3}" && cmake --build "$2" -j2; } > "$2.log" 2>&1 \
    || { cat "$2.log" >&2 && exit 1; }
  env -u LD_LIBRARY_PATH "$2/consumer"
}

# pkg_config_consumer CXX PROGRAM [FLAG...]: the installed library's consumer compiled with the
# flags that pkg-config gives for QuendalText (and {fmt}, where it knows it), then run.
pkg_config_consumer() {
  local fmt=()
  # shellcheck disable=SC2207 # pkg-config's flags are meant to be split into words
  if pkg-config --exists fmt; then fmt=(-DCONSUMER_HAS_FMT $(pkg-config --cflags --libs fmt)); fi
  # shellcheck disable=SC2046
  "$1" -std=c++17 "${@:3}" "$(dirname "${BASH_SOURCE[0]}")/consumer/consumer.cpp" -o "$2" \
    $(pkg-config --cflags --libs QuendalText) "${fmt[@]}"
  env -u LD_LIBRARY_PATH "$2"
}

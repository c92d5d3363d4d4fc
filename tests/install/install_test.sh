#!/usr/bin/env bash
# Installs a build into a temporary prefix and builds and runs a small consumer against it
# twice: through find_package(QuendalText) and through pkg-config. The consumer is compiled
# with the build's sanitizer flags, so a sanitizer build gets a sanitizer consumer.
# Usage: install_test.sh BUILD_DIR CXX_COMPILER "SANITIZER_FLAGS"
set -euo pipefail
build=$1
cxx=$2
flags=$3
consumer=$(cd "$(dirname "$0")/consumer" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

step() { echo "--- $*"; }

step "install into $prefix"
cmake --install "$build" --prefix "$prefix" > "$work/install.log"

for library in QuendalText QuendalLog; do
  file=$(find "$prefix" -name "lib$library.so.1" | head -n 1)
  [[ -n $file ]] || { echo "lib$library.so.1 is not installed" >&2; exit 1; }
  soname=$(objdump -p "$file" | awk '$1 == "SONAME" {print $2}')
  [[ $soname == "lib$library.so.1" ]] || { echo "lib$library has SONAME '$soname'" >&2; exit 1; }
done
libdir=$(dirname "$(find "$prefix" -name libQuendalText.so.1 | head -n 1)")

[[ -x $prefix/bin/qtext ]] && step "installed qtext" && env -u LD_LIBRARY_PATH "$prefix/bin/qtext" info --sample > /dev/null

step "consumer through find_package"
cmake -S "$consumer" -B "$work/cmake-consumer" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$flags" > "$work/configure.log" \
  || { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$work/cmake-consumer" > "$work/build.log" || { cat "$work/build.log" >&2; exit 1; }
env -u LD_LIBRARY_PATH "$work/cmake-consumer/consumer"

step "consumer through pkg-config"
pc_file=$(find "$prefix" -name QuendalText.pc | head -n 1)
export PKG_CONFIG_PATH=$(dirname "$pc_file")
# Word splitting of the flags is intended.
# shellcheck disable=SC2046,SC2086
fmt_flags=()
if pkg-config --exists fmt; then fmt_flags=(-DCONSUMER_HAS_FMT $(pkg-config --cflags --libs fmt)); fi
"$cxx" -std=c++17 $flags "$consumer/consumer.cpp" -o "$work/pc-consumer" \
  $(pkg-config --cflags --libs QuendalText) "${fmt_flags[@]}" -Wl,-rpath,"$libdir"
env -u LD_LIBRARY_PATH "$work/pc-consumer"

step "a consumer that forces C++14 is told why"
refused() {
  if "$@" > "$work/cxx14.log" 2>&1; then echo "succeeded with C++14: $*" >&2; exit 1; fi
  grep -q "QuendalText needs C++17 or later" "$work/cxx14.log" || { cat "$work/cxx14.log" >&2; exit 1; }
}
refused cmake -S "$consumer" -B "$work/cxx14-consumer" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="-std=c++14"
echo '#include <QuendalText/Text.h>' > "$work/cxx14.cpp"
refused "$cxx" -std=c++14 -fsyntax-only -I"$prefix/include" "$work/cxx14.cpp"
echo "install test passed"

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
# shellcheck source=tests/install/consumers.sh
source "$(dirname "$0")/consumers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

step "install into $prefix"
cmake --install "$build" --prefix "$prefix" > "$work/install.log"

for library in QuendalText QuendalLog; do
  file=$(find "$prefix" -name "lib$library.so.1" | head -n 1)
  [[ -n $file ]] || fail "lib$library.so.1 is not installed"
  soname=$(objdump -p "$file" | awk '$1 == "SONAME" {print $2}')
  [[ $soname == "lib$library.so.1" ]] || fail "lib$library has SONAME '$soname'"
done
libdir=$(dirname "$(find "$prefix" -name libQuendalText.so.1 | head -n 1)")

[[ -x $prefix/bin/qtext ]] && step "installed qtext" && env -u LD_LIBRARY_PATH "$prefix/bin/qtext" info --sample > /dev/null

step "consumer through find_package"
cmake_consumer "$consumer" "$work/cmake-consumer" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$flags"

step "consumer through pkg-config"
PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name QuendalText.pc | head -n 1)")
export PKG_CONFIG_PATH
# shellcheck disable=SC2086
pkg_config_consumer "$cxx" "$work/pc-consumer" $flags -Wl,-rpath,"$libdir"

step "a consumer that forces C++14 is told why"
refused() {
  if "$@" > "$work/cxx14.log" 2>&1; then fail "succeeded with C++14: $*"; fi
  grep -q "QuendalText needs C++17 or later" "$work/cxx14.log" || { cat "$work/cxx14.log" >&2; exit 1; }
}
refused cmake -S "$consumer" -B "$work/cxx14-consumer" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="-std=c++14"
echo '#include <QuendalText/Text.h>' > "$work/cxx14.cpp"
refused "$cxx" -std=c++14 -fsyntax-only -I"$prefix/include" "$work/cxx14.cpp"
echo "install test passed"

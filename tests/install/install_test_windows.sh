#!/usr/bin/env bash
# The Windows package: installs a build into a temporary prefix, checks its layout (DLLs in bin/,
# import libraries and the CMake package in lib/, headers in include/), then builds the consumer
# against it with the build's toolchain and runs it with the emulator, finding the DLLs in the
# prefix's bin/.
# Usage: install_test_windows.sh BUILD_DIR TOOLCHAIN_FILE EMULATOR [EMULATOR_ARGUMENT...]
set -euo pipefail
build=$1
toolchain=$2
shift 2
emulator=("$@")
consumer=$(cd "$(dirname "$0")/consumer" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" > "$work/install.log"
for file in bin/libQuendalText.dll bin/libQuendalLog.dll lib/libQuendalText.dll.a \
            lib/libQuendalLog.dll.a lib/cmake/QuendalText/QuendalTextConfig.cmake \
            include/QuendalText/QuendalText.h include/QuendalLog/CPPException.h; do
  [[ -f $prefix/$file ]] || { echo "$file is not installed" >&2; exit 1; }
done

cmake -S "$consumer" -B "$work/consumer" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DQuendalText_DIR="$prefix/lib/cmake/QuendalText" \
  > "$work/configure.log" || { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$work/consumer" > "$work/build.log" || { cat "$work/build.log" >&2; exit 1; }
"${emulator[@]}" "--path=$prefix/bin" "$work/consumer/consumer.exe"
echo "install test passed"

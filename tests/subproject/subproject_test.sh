#!/usr/bin/env bash
# Builds and runs the consumer that takes QuendalText in through add_subdirectory and the one
# that takes it through FetchContent, and checks that neither installs anything of the library.
# Usage: subproject_test.sh SOURCE_DIR CXX_COMPILER
set -euo pipefail
source_dir=$1
cxx=$2
consumer=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for how in add_subdirectory FetchContent; do
  echo "--- consumer through $how"
  build=$work/$how
  cmake -S "$consumer" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER="$cxx" \
    -DQUENDALTEXT_SOURCE_DIR="$source_dir" -DQUENDALTEXT_HOW="$how" > "$work/configure.log" \
    || { cat "$work/configure.log" >&2; exit 1; }
  cmake --build "$build" -j2 > "$work/build.log" || { cat "$work/build.log" >&2; exit 1; }
  "$build/consumer"
  cmake --install "$build" --prefix "$work/prefix" > /dev/null
  if [[ -n $(find "$work/prefix" -type f 2> /dev/null) ]]; then
    echo "$how: installing the consumer installed the library's files:" >&2
    find "$work/prefix" -type f >&2
    exit 1
  fi
done
echo "subproject test passed"

#!/usr/bin/env bash
# Builds and runs the consumer that takes QuendalText in through add_subdirectory and the one
# that takes it through FetchContent, and checks that neither installs anything of the library.
# Usage: subproject_test.sh SOURCE_DIR CXX_COMPILER
set -euo pipefail
# shellcheck source=tests/install/consumers.sh
source "$(dirname "$0")/../install/consumers.sh"
consumer=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for how in add_subdirectory FetchContent; do
  step "consumer through $how"
  cmake_consumer "$consumer" "$work/$how" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER="$2" \
    -DQUENDALTEXT_SOURCE_DIR="$1" -DQUENDALTEXT_HOW="$how"
  cmake --install "$work/$how" --prefix "$work/prefix" > /dev/null
  installed=$(find "$work/prefix" -type f 2> /dev/null || true)
  [[ -z $installed ]] || fail "installing the consumer through $how installed: $installed"
done
echo "subproject test passed"

#!/usr/bin/env bash
# Installs the three Debian packages of a `make package` build on this machine with apt-get,
# checks them with lintian and what they put where, builds and runs the install test's consumer
# against the system paths through find_package and pkg-config, then removes the packages and
# checks that nothing of them is left. Needs root (apt-get); `make package-test` runs it.
# Usage: package_test.sh PACKAGE_BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
consumer=$(cd "$(dirname "$0")/../install/consumer" && pwd)
# shellcheck source=tests/install/consumers.sh
source "$(dirname "$0")/../install/consumers.sh"
packages=(libquendaltext1 libquendaltext-dev qtext)
work=$(mktemp -d)
installed() { dpkg-query -W -f='${Status}' "$1" 2> /dev/null | grep -q "ok installed"; }

debs=()
for package in "${packages[@]}"; do
  deb=$(find "$build" -maxdepth 1 -name "${package}_*.deb" | head -n 1)
  [[ -n $deb ]] || fail "no ${package}_*.deb in $build (make package)"
  debs+=("$deb")
done
step "lintian"
lintian --fail-on error "${debs[@]}"
[[ $(id -u) -eq 0 ]] || fail "apt-get needs root"
# One run at a time on this machine; and never over packages that were there before.
exec 9> /tmp/quendaltext-package-test.lock
flock 9
for package in "${packages[@]}"; do
  ! installed "$package" || fail "$package is installed already; remove it first"
done
apt_get() { apt-get -o DPkg::Lock::Timeout=600 -y -qq "$@" > "$work/apt.log" 2>&1 \
          || { cat "$work/apt.log" >&2; return 1; }; }
remove() { apt_get remove --purge "${packages[@]}"; }
trap 'remove || true; rm -rf "$work"' EXIT

step "apt-get install ${debs[*]##*/}"
DEBIAN_FRONTEND=noninteractive apt_get install --no-install-recommends "${debs[@]}"
# The dependencies that dpkg-shlibdeps found are met, and the loader finds the libraries.
ldconfig -p | grep -q "libQuendalText.so.1 " || fail "ldconfig does not know libQuendalText.so.1"
env -u LD_LIBRARY_PATH qtext info --sample > /dev/null
[[ $(env -u LD_LIBRARY_PATH qtext --version) == "qtext $(dpkg-query -W -f='${Version}' qtext)" ]] \
  || fail "qtext's version is not the package's"
if command -v man > /dev/null; then
  [[ $(man -w qtext) == /usr/share/man/man1/qtext.1.gz ]] || fail "man does not find qtext(1)"
fi

step "consumer through find_package(QuendalText)"
unset CMAKE_PREFIX_PATH PKG_CONFIG_PATH
cmake_consumer "$consumer" "$work/cmake-consumer"
grep -q "QuendalText_DIR:PATH=/usr/lib/.*/cmake/QuendalText" "$work/cmake-consumer/CMakeCache.txt" \
  || fail "find_package did not find the package under /usr"

step "consumer through pkg-config"
pkg_config_consumer c++ "$work/pc-consumer"

step "apt-get remove --purge ${packages[*]}"
files=$(dpkg -L "${packages[@]}" | sort -u)
remove
trap 'rm -rf "$work"' EXIT
for package in "${packages[@]}"; do ! installed "$package" || fail "$package is still installed"; done
while read -r file; do
  [[ -d $file || ! -e $file && ! -L $file ]] || fail "$file is left after removal"
done <<< "$files"
for directory in /usr/include/QuendalText /usr/include/QuendalLog /usr/lib/*/cmake/QuendalText \
                 /usr/share/doc/{libquendaltext1,libquendaltext-dev,qtext}; do
  [[ ! -e $directory ]] || fail "$directory is left after removal"
done
! ldconfig -p | grep -q "libQuendalText.so.1 " || fail "ldconfig still lists libQuendalText.so.1"
echo "package test passed"

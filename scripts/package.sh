#!/usr/bin/env bash
# Builds the Debian package junkbane_<version>_<arch>.deb (Release, with Debian's hardening
# flags, in build-package/) and prints its path. Install it with
#   apt install ./build-package/junkbane_*.deb
# The installed program keeps its data in ~/.local/share/junkbane (see README).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build
build=build-package
jobs=$(nproc)

# Fortified functions, read-only relocations and immediate binding, as Debian builds use.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
export CFLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags"
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"

echo "== configure and build (Release, $build)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DJUNKBANE_TESTS=OFF \
  -DJUNKBANE_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs"

echo "== package"
rm -f "$build"/junkbane_*.deb
if ! (cd "$build" && cpack >cpack.log 2>&1); then
  cat "$build/cpack.log"
  echo "cpack could not make the package." >&2
  exit 1
fi
deb=$(ls "$build"/junkbane_*.deb)
echo "$PWD/$deb"

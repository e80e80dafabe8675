#!/usr/bin/env bash
# Builds Junkbane with warnings as errors and runs every test through ctest: unit, widget
# (offscreen), integration and end-to-end tests against a real Dovecot that the tests start
# themselves, then the whole suite again under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DJUNKBANE_WERROR=ON >/dev/null
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

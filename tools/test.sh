#!/usr/bin/env bash
# Installs what is missing, builds Korvel with its tests (release) and runs
# the whole suite. Pass "asan" to use the sanitizer build instead.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
tools/install-deps.sh
# Rebuilds reuse earlier compilations, also from other checkouts of the tree.
export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
# The editor's tests leave pictures of the bundled examples here for people to look at.
export KORVEL_SCREENSHOT_DIR="$PWD/build/$preset/screenshots"
mkdir -p "$KORVEL_SCREENSHOT_DIR"
ctest --preset "$preset" -j"$(nproc)"

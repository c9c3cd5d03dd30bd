#!/usr/bin/env bash
# Fresh Debian 12 machine: installs what the project needs, builds, runs every test.
# Usage: scripts/test.sh [build-dir]   (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
cd "$build"
ctest --output-on-failure -j2

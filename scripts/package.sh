#!/usr/bin/env bash
# Builds the Debian packages corvo (the client) and corvo-server from a Release build.
#   bash scripts/package.sh [BUILD_DIR]      (default build-release/ beside the sources)
# The packages land in BUILD_DIR/packages/. The build runs at the lowest priority with
# CORVO_PACKAGE_JOBS jobs (default 1), so it does not starve other work on the machine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-release}
jobs=${CORVO_PACKAGE_JOBS:-1}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVO_BENCH=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
nice -n 19 cmake --build "$build" -j"$jobs" --target corvo corvo-server corvo_changelog
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB -B "$build/packages" >/dev/null)
rm -rf "$build/packages/_CPack_Packages"
ls -l "$build"/packages/*.deb

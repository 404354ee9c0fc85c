#!/usr/bin/env bash
# Builds the Debian package kestrix_<version>_amd64.deb from a build folder (configured
# and built here when needed), checks it with lintian and prints its path last.
#
#   build-deb.sh [BUILD_DIR]     (default: build)
#
# Any lintian error or warning fails the build; its informational notes are shown.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
fi
cmake --build "$build" -j "${JOBS:-2}" >&2
rm -f "$build"/kestrix_*.deb
(cd "$build" && cpack -G DEB >&2)
deb=$(realpath "$build"/kestrix_*_amd64.deb)

dpkg-deb --field "$deb" >&2
lintian --display-info --fail-on error,warning "$deb" >&2
echo "$deb"

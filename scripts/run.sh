#!/usr/bin/env bash
# The main job on a fresh Debian machine: install what is needed, build and install
# kestrix with its dBase ODBC driver, register the driver, write the four sample price
# tables and convert them. With a display, the window opens on the samples' folder;
# without one, the headless converter does the same work.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

JOBS=${JOBS:-2}
PREFIX=${PREFIX:-/usr/local}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX="$PREFIX"
cmake --build build -j "$JOBS"
cmake --install build
bash scripts/register-driver.sh "$PREFIX/lib/kestrix/libkestrixdbf.so"

SAMPLES=${SAMPLES:-$HOME/kestrix-samples}
OUTPUT=${OUTPUT:-$HOME/kestrix-output}
mkdir -p "$SAMPLES" "$OUTPUT"
build/tools/samples/kestrix-samples "$SAMPLES"

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
    echo "Starting kestrix: choose $SAMPLES/rnddat.dbf in the first dialog, then press OK."
    (cd "$SAMPLES" && "$PREFIX/bin/kestrix")
else
    echo "No display: converting with the headless converter instead of the window."
    "$PREFIX/bin/kestrix-convert" --output "$OUTPUT" --existing backup "$SAMPLES/rnddat.dbf"
    echo
    echo "First lines of $OUTPUT/TrvBrill.txt:"
    head -n 16 "$OUTPUT/TrvBrill.txt"
fi

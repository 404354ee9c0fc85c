#!/usr/bin/env bash
# Builds kestrix twice (plain, and with AddressSanitizer + UndefinedBehaviorSanitizer),
# runs every test of both under a virtual X display, fuzzes the driver briefly, then
# cross-builds the Windows programs and runs their tests under wine64. The Debian package
# of the plain build is installed, used and purged on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

JOBS=${JOBS:-2}
FUZZ_SECONDS=${FUZZ_SECONDS:-30}
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1

# -noreset: Xvfb otherwise resets whenever its last client leaves, and refuses a test
# process that connects during the reset; between two parallel tests that happens often.
run_tests() {
    local dir=$1
    xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" \
        ctest --test-dir "$dir" --output-on-failure -j "$JOBS" --timeout 300
}

echo "== plain build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS"
run_tests build

echo "== Debian package: build, lintian, install, convert, purge"
bash scripts/check-deb.sh build

echo "== sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIX_SANITIZE=ON
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_tests build-asan

echo "== fuzzing the driver (${FUZZ_SECONDS}s per target)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIX_FUZZ=ON
cmake --build build-fuzz -j "$JOBS"
for fuzzer in $(find build-fuzz -maxdepth 3 -type f -executable -name 'fuzz_*'); do
    echo "-- $fuzzer"
    corpus=$(mktemp -d)
    # Starts from the committed seeds (driver/fuzz/corpus/<name without fuzz_>); new
    # inputs go to the temporary corpus only.
    seeds=driver/fuzz/corpus/$(basename "$fuzzer" | sed 's/^fuzz_//')
    "$fuzzer" -max_total_time="$FUZZ_SECONDS" -print_final_stats=0 "$corpus" "$seeds" \
        >"$corpus.log" 2>&1 || { tail -n 40 "$corpus.log"; exit 1; }
    tail -n 2 "$corpus.log"
    echo "coverage reached: $(grep -o 'cov: [0-9]*' "$corpus.log" | tail -n 1 | cut -d' ' -f2) edges"
    rm -rf "$corpus" "$corpus.log"
done
echo "== Windows build (MinGW-w64) and its tests under wine64"
windows_start=$SECONDS
JOBS=$JOBS bash scripts/build-windows.sh
# -r: no key auto-repeat, so a key held by a test never closes the next window.
xvfb-run -a -s "-screen 0 1600x1200x24 -r -noreset" ctest --preset windows -j "$JOBS"
echo "-- the Windows setup program: silent install, convert, silent uninstall under wine64"
bash scripts/check-nsis.sh build-windows build
echo "Windows stage: $((SECONDS - windows_start)) s"
echo "All test stages passed."

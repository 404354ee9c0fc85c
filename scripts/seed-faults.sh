#!/usr/bin/env bash
# Seeds one fault at a time into a throwaway copy of the committed tree and tells whether
# the tests notice: a habit for every change, so that a test that passes whatever the code
# does is found before it is trusted.
#
#   scripts/seed-faults.sh [LIST...]        default: tests/seeded-faults.tsv
#
# A LIST has one fault a line, tab-separated:
#   ID  FILE  SED-EDIT  WHAT-IT-BREAKS  [TESTS]
# SED-EDIT is a sed command that finds its own line ("/O_EXCL/s/ | O_EXCL//"), so the list
# survives edits elsewhere in the file; it must change exactly one line. TESTS is a ctest
# -R pattern for the tests the fault can reach (default: every test but the fuzzers, the
# package and the Windows ones). Lines starting with # are comments.
#
# The copy is a git worktree of HEAD kept with its build folder in
# ${KESTRIX_SEED_DIR:-/var/tmp/kestrix-seed} between runs: moving it to the new HEAD
# rewrites only the files that changed, so a run rebuilds only what they reach.
# Results: seed-results.tsv in the current folder (ID, FILE, WHAT, CAUGHT / MISSED /
# NOCOMPILE / NOT-APPLIED, the failed tests), and a summary line. Exit status 1 when a
# fault was missed or did not apply.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lists=("$@")
[ ${#lists[@]} -gt 0 ] || lists=("$root/tests/seeded-faults.tsv")
for l in "${lists[@]}"; do
    [ -r "$l" ] || { echo "cannot read fault list $l" >&2; exit 2; }
done
out=$PWD/seed-results.tsv
mapfile -t lists < <(realpath "${lists[@]}")

seed=${KESTRIX_SEED_DIR:-/var/tmp/kestrix-seed}
tree=$seed/src build=$seed/build
mkdir -p "$seed"
if [ -e "$tree/.git" ]; then
    git -C "$tree" checkout -q --detach "$(git -C "$root" rev-parse HEAD)" &&
        git -C "$tree" reset -q --hard
else
    git -C "$root" worktree prune
    git -C "$root" worktree add --detach -q "$tree" HEAD
fi || { echo "cannot lay out the copy in $tree" >&2; exit 2; }
cd "$tree"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ||
    { echo "cannot configure $build" >&2; exit 2; }
cmake --build "$build" -j "${JOBS:-2}" >"$build/seed-base.log" 2>&1 ||
    { echo "the unchanged tree does not build: see $build/seed-base.log" >&2; exit 2; }

run_tests() {  # pattern; the default leaves out what no seeded fault should need
    local args=(--test-dir "$build" --timeout 120 -j "${JOBS:-2}")
    if [ -n "$1" ]; then args+=(-R "$1"); else args+=(-E 'fuzz|deb|windows|nsis'); fi
    xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" ctest "${args[@]}"
}
run_tests "" >"$build/seed-base.ctest" 2>&1 ||
    { echo "the unchanged tree fails its tests: see $build/seed-base.ctest" >&2; exit 2; }

: >"$out"
caught=0 missed=0 other=0
for list in "${lists[@]}"; do
    while IFS=$'\t' read -r -u 3 id file edit what tests; do
        [[ -z $id || $id == \#* ]] && continue
        result="" failed=""
        sed -i -e "$edit" "$file" 2>/dev/null
        changed=$(git diff --numstat -- "$file" | cut -f1)
        if [ "${changed:-0}" != 1 ]; then
            result=NOT-APPLIED
        elif ! cmake --build "$build" -j "${JOBS:-2}" >"$build/seed-$id.build" 2>&1; then
            result=NOCOMPILE
        elif run_tests "${tests:-}" >"$build/seed-$id.ctest" 2>&1; then
            result=MISSED
        else
            result=CAUGHT
            failed=$(sed -n '/The following tests FAILED/,$p' "$build/seed-$id.ctest" |
                sed -nE 's/^\s+[0-9]+ - ([^ ]+).*/\1/p' | paste -sd, -)
        fi
        git checkout -q -- "$file"
        case $result in CAUGHT) caught=$((caught + 1)) ;; MISSED) missed=$((missed + 1)) ;;
                        *) other=$((other + 1)) ;; esac
        printf '%s\t%s\t%s\t%s\t%s\n' "$id" "$file" "$what" "$result" "$failed" >>"$out"
        echo "$id $file [$what] => $result"
    done 3<"$list"  # not stdin: a test may read it
done
cmake --build "$build" -j "${JOBS:-2}" >/dev/null 2>&1
echo "caught $caught of $((caught + missed)) faults that compiled; $other did not apply or compile"
[ "$missed" -eq 0 ] && [ "$other" -eq 0 ]

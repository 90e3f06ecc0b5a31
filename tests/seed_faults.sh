#!/usr/bin/env bash
# Seeds realistic single faults into the code (a condition flipped, a call
# dropped, an off-by-one, a defence removed), one at a time, and runs a test
# preset's build and tests on each. Prints each fault as caught (with the
# time its slowest failing test took), survived, or not applied, and the
# share caught. Slow (half a minute a fault): not for CI.
#   tests/seed_faults.sh [PATCH_FILE...]   tests/faults/*.patch by default
#   PRESET=windows64-test tests/seed_faults.sh tests/faults/blind-windows.patch
# Each fault in a patch file is one diff after a line "# fault NAME: what a
# user would meet". tests/faults/blind-*.patch and blind2-*.patch (a fresh
# list, written after the first one's survivors had tests) were written from
# the product code alone by developers who had not read the tests; own.patch
# by the tests' authors. Builds in build-faults-PRESET/; puts every file back.
set -uo pipefail
cd "$(dirname "$0")/.."
preset=${PRESET:-test}
build=build-faults-$preset
[[ $# -gt 0 ]] || set -- tests/faults/*.patch
work=$(mktemp -d)
# Puts back the fault being tried, if one is; a fault already put back or
# never applied does not apply in reverse.
trap 'git apply -R "$work/fault" 2>/dev/null; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

# Runs the tests; prints the seconds the slowest failing test took, if any failed.
run_tests() {
    (cd "$build" && ctest -j2 --timeout 120 2>&1) | grep -E '\*\*\*|Failed +[0-9.]+ sec' |
        grep -oE '[0-9.]+ sec' | sort -n | tail -n 1 || true
}

cmake --preset "$preset" -B "$build" >/dev/null || exit 1
cmake --build "$build" -j2 >/dev/null || { echo "the unchanged code does not build" >&2; exit 1; }
[[ -z $(run_tests) ]] || { echo "the unchanged code fails its tests" >&2; exit 1; }

caught=0 survived=0 unapplied=0
for patches in "$@"; do
    # One file per fault, named by the order of its header.
    awk -v dir="$work" '/^# fault / { file = sprintf("%s/fault-%03d", dir, ++n) } file { print > file }' "$patches"
    for fault in "$work"/fault-*; do
        label="$(basename "$patches" .patch) ${fault##*/fault-}: $(head -n 1 "$fault" | cut -c 9-)"
        mv "$fault" "$work/fault"
        if ! git apply "$work/fault" 2>/dev/null; then
            echo "NOT APPLIED ${label:0:150}"
            unapplied=$((unapplied + 1))
            continue
        fi
        if ! cmake --build "$build" -j2 >/dev/null 2>&1; then
            echo "UNBUILT     ${label:0:150}"
            unapplied=$((unapplied + 1))
        elif slowest=$(run_tests) && [[ -z $slowest ]]; then
            echo "SURVIVED    ${label:0:150}"
            survived=$((survived + 1))
        else
            echo "caught      ${label:0:150} (slowest failing test: $slowest)"
            caught=$((caught + 1))
        fi
        git apply -R "$work/fault"
    done
done
cmake --build "$build" -j2 >/dev/null 2>&1
echo "caught $caught of $((caught + survived)) faults ($((100 * caught / (caught + survived)))%); $unapplied not applied or not built"

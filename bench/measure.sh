#!/usr/bin/env bash
# The cost of a whole non-interactive run of osoby, against the floor: a
# minimal C program (floor.c) that prints the same four lines and reads one
# line per box. Instructions executed are counted by callgrind (repeatable on
# a noisy machine); peak memory is the median of several runs of
# /usr/bin/time -v. Needs a C compiler, valgrind and GNU time.
#   bench/measure.sh [OSOBY]        (default: build/osoby)
set -euo pipefail
missing=""
for tool in cc valgrind /usr/bin/time; do
    command -v "$tool" >/dev/null || missing+=" $tool"
done
if [ -n "$missing" ]; then
    echo "bench/measure.sh: missing:$missing (apt-get install -y gcc valgrind time)" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
osoby=${1:-$here/../build/osoby}
runs=31
# The run in a terminal, even on a desktop.
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cc -O2 -o "$work/floor" "$here/floor.c"
if ! cmp -s <("$work/floor" </dev/null) <("$osoby" </dev/null); then
    echo "osoby does not show the floor's four lines; nothing to compare" >&2
    exit 1
fi

instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" </dev/null >/dev/null 2>"$work/callgrind"
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/callgrind"
}

peak_kib() {
    for _ in $(seq "$runs"); do
        /usr/bin/time -v "$1" </dev/null 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p'
    done | sort -n | sed -n "$(((runs + 1) / 2))p"
}

floor_instructions=$(instructions "$work/floor")
osoby_instructions=$(instructions "$osoby")
floor_peak=$(peak_kib "$work/floor")
osoby_peak=$(peak_kib "$osoby")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf '%-24s %14s %14s %8s %6s\n' "" "osoby" "C floor" "ratio" "goal"
printf '%-24s %14s %14s %8s %6s\n' "instructions" "$osoby_instructions" "$floor_instructions" \
    "$(ratio "$osoby_instructions" "$floor_instructions")" "1.50"
printf '%-24s %14s %14s %8s %6s\n' "peak memory (KiB)" "$osoby_peak" "$floor_peak" \
    "$(ratio "$osoby_peak" "$floor_peak")" "1.20"

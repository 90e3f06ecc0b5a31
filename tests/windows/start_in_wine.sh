#!/usr/bin/env bash
# Starts a test program under Wine ("$@": the loader, the program and its
# arguments). Now and then Wine fails to start a process at all: it ends at
# once, having printed nothing (seen once in CI). Such a start is tried once
# more, saying so and what Wine said; a program that ran keeps its result.
# Wine's own messages are shown only with a failure.
# The local day is read in a zone 14 hours ahead of UTC, whose day is not
# UTC's for most of each day; the clock's test compares it with this one.
export TZ=Pacific/Kiritimati OSOBY_HOST_DAY=$(TZ=Pacific/Kiritimati date +%F)
out=$(mktemp) err=$(mktemp) && trap 'rm -f "$out" "$err"' EXIT
"$@" >"$out" 2>"$err" && { cat "$out"; exit 0; }
status=$?
[ -s "$out" ] && { cat "$out" "$err"; exit $status; }
echo "Wine did not start the test program (exit $status), so it is started again. Wine said: $(head -c 4000 "$err")" >&2
"$@"

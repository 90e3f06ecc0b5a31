#!/usr/bin/env bash
# Runs the program on a virtual X display with the real zenity, dismisses each
# dialog as a user would, with Return and the last one with Escape, and checks
# that the dialogs came in order and the run ended with exit code 0. Saves a
# screenshot of each.
#   desktop_dialogs_test.sh OSOBY SCREENSHOT_FOLDER
set -euo pipefail
source "$(dirname "$0")/../support/virtual_display.sh"
osoby=$1
shots=$2
mkdir -p "$shots"
work=$(mktemp -d)
trap 'stop_virtual_display "${osoby_pid:-}"; rm -rf "$work"' EXIT

start_virtual_display "$work"
"$osoby" </dev/null >"$work/out" 2>"$work/err" &
osoby_pid=$!

# Today's run: the boxes of any day after 20.11.1999.
titles=("Informace o Osobě" "Informace o Osobě" "Informace o Osobě" "Osoby")
for i in "${!titles[@]}"; do
    n=$((i + 1))
    window=$(await_window "${titles[i]}" "$osoby_pid") ||
        fail "dialog $n, '${titles[i]}', did not appear: $(cat "$work/err")"
    screenshot "$shots/dialog-$n.png"
    echo "dialog $n: ${titles[i]}"
    if ((n == ${#titles[@]})); then
        dismiss "$window" Escape
    else
        dismiss "$window"
    fi
done

await_exit "$osoby_pid"
[[ $exit_status -eq 0 ]] || fail "exit code $exit_status: $(cat "$work/err")"
[[ ! -s $work/out ]] || fail "the program wrote to the terminal: $(cat "$work/out")"
echo "1 passed, 0 failed"

#!/usr/bin/env bash
# Runs the program on a virtual X display with the real zenity, dismisses each
# dialog with the Return key as a user would, and checks that the dialogs came
# in order and the run ended with exit code 0. Saves a screenshot of each.
#   desktop_dialogs_test.sh OSOBY SCREENSHOT_FOLDER
set -euo pipefail
osoby=$1
shots=$2
mkdir -p "$shots"
work=$(mktemp -d)
xvfb_pid=
osoby_pid=
cleanup() {
    [[ -n $osoby_pid ]] && kill "$osoby_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A display of its own: Xvfb picks a free number and writes it when ready.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")
unset WAYLAND_DISPLAY

"$osoby" </dev/null >"$work/out" 2>"$work/err" &
osoby_pid=$!

# Today's run: the boxes of any day after 20.11.1999.
titles=("Informace o Osobě" "Informace o Osobě" "Informace o Osobě" "Osoby")
for i in "${!titles[@]}"; do
    window=
    for _ in $(seq 200); do
        window=$(xdotool search --onlyvisible --name '.+' 2>/dev/null | head -n 1) && [[ -n $window ]] && break
        kill -0 "$osoby_pid" 2>/dev/null || fail "the program ended before dialog $((i + 1)): $(cat "$work/err")"
        sleep 0.1
    done
    [[ -n $window ]] || fail "dialog $((i + 1)) did not appear"
    title=$(xdotool getwindowname "$window")
    [[ $title == "${titles[i]}" ]] || fail "dialog $((i + 1)) is titled '$title', expected '${titles[i]}'"
    sleep 0.3  # let it draw before the screenshot
    import -window root -trim +repage "$shots/dialog-$((i + 1)).png"
    echo "dialog $((i + 1)): $title"
    xdotool windowfocus --sync "$window" key Return 2>/dev/null
    # Dismissed: the window goes away before the next one may come.
    for _ in $(seq 100); do
        xdotool getwindowname "$window" >/dev/null 2>&1 || break
        sleep 0.1
    done
done

for _ in $(seq 100); do
    kill -0 "$osoby_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$osoby_pid" 2>/dev/null && fail "the program is still waiting, for a dialog more than expected"
status=0
wait "$osoby_pid" || status=$?
osoby_pid=
[[ $status -eq 0 ]] || fail "exit code $status: $(cat "$work/err")"
[[ ! -s $work/out ]] || fail "the program wrote to the terminal: $(cat "$work/out")"
echo "1 passed, 0 failed"

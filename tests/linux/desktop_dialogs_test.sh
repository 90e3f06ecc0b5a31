#!/usr/bin/env bash
# The real zenity or kdialog on a virtual X display, with no locale set, as
# on a fresh machine. First one box with a backslash and a run of spaces in
# its texts: the dialog shows them exactly (its text selected as a user
# would, and read back) and Escape dismisses it with exit code 0. Then the
# program's run, started with SIGCHLD ignored as some daemons and shells
# start programs: each dialog dismissed with Return, the last with Escape,
# the dialogs in order, each as wide as its title needs, exit code 0. Saves
# a screenshot of each.
#   desktop_dialogs_test.sh zenity|kdialog OSOBY SHOW_DIALOG SCREENSHOT_FOLDER
set -euo pipefail
source "$(dirname "$0")/../support/virtual_display.sh"
helper=$1
osoby=$2
show_dialog=$3
shots=$4/$helper
mkdir -p "$shots"

unset LANG LC_ALL LC_CTYPE LANGUAGE
# Each desktop's own helper is chosen there.
title='Zkouška  dvou mezer'
shown_title=$title
suffix= search_suffix=
start_virtual_display
if [[ $helper == kdialog ]]; then
    export XDG_CURRENT_DESKTOP=KDE
    search_suffix='.*'  # xdotool reads a title without kdialog's name
    shown_title='Zkouška '$'\xc2\xa0''dvou mezer'  # a run of spaces as kdialog keeps it
    # kdialog up to 22.12 names itself in every title, 25.04 no longer; the
    # program leaves room for the name before 25.04. (--version needs a display.)
    version=$(kdialog --version 2>/dev/null) || fail "kdialog --version failed"
    IFS=. read -r major minor _ <<<"${version##* }"
    ((10#$major * 100 + 10#$minor >= 2504)) || suffix=' — KDialog'
    echo "$version: titles end in '$suffix'"
else
    export XDG_CURRENT_DESKTOP=GNOME
fi

prompt='C:\new  a\\b'
"$show_dialog" "$prompt" "$title" 2>"$work/err" &
osoby_pid=$!
window=$(await_window "Zkouška.*$search_suffix" "$osoby_pid") || fail "the dialog '$title' did not appear: $(cat "$work/err")"
screenshot "$shots/exact-text.png"
name=$(xdotool getwindowname "$window")
[[ $name == "$shown_title$suffix" ]] || fail "the dialog is titled '$name', not '$shown_title$suffix'"
# The text is selected as a user would, three clicks on it. Where it lies
# differs: zenity up to 3.44 and kdialog put it at the top; zenity 4 first
# repeats the title as a heading, which cannot be selected. So the clicks go
# down the upper part of the window, a row at a time, to the first text they
# select; the buttons lie below it.
eval "$(xdotool getwindowgeometry --shell "$window")"
for ((row = 1; row <= 12; row++)); do
    xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT * row / 20)) click --repeat 3 1
    sleep 0.3
    shown=$(timeout 5 xclip -o 2>/dev/null) || true
    [[ -z $shown ]] || break
done
[[ $shown == "$prompt" ]] || fail "the dialog shows '$shown', not '$prompt'"
dismiss "$window" Escape
await_exit "$osoby_pid" 0 "Escape ended the dialog" "$work/err"
echo "$helper shows '$prompt' exactly; Escape dismisses it"

perl -e '$SIG{CHLD} = "IGNORE"; exec @ARGV' "$osoby" </dev/null >"$work/out" 2>"$work/err" &
osoby_pid=$!
# Today's run: the boxes of any day after 20.11.1999.
titles=("Informace o Osobě" "Informace o Osobě" "Informace o Osobě" "Osoby")
for i in "${!titles[@]}"; do
    n=$((i + 1))
    window=$(await_window "${titles[i]}$search_suffix" "$osoby_pid") ||
        fail "dialog $n, '${titles[i]}', did not appear: $(cat "$work/err")"
    screenshot "$shots/dialog-$n.png"
    echo "dialog $n: ${titles[i]}"
    # Wide enough for a window manager's title bar: the title in a bold
    # 10 pt font, and 100 px for the bar's icon and buttons.
    name=$(xdotool getwindowname "$window")
    [[ $name == "${titles[i]}$suffix" ]] || fail "dialog $n is titled '$name', not '${titles[i]}$suffix'"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    title_width=$(convert -font DejaVu-Sans-Bold -pointsize 10 -density 96 label:"${titles[i]}$suffix" -format %w info:)
    ((WIDTH >= title_width + 100)) || fail "dialog $n is $WIDTH px wide; its title needs $((title_width + 100))"
    if ((n == ${#titles[@]})); then
        dismiss "$window" Escape
    else
        dismiss "$window"
    fi
done

await_exit "$osoby_pid" 0 "the run" "$work/err"
[[ ! -s $work/out ]] || fail "the program wrote to the terminal: $(cat "$work/out")"
echo "1 passed, 0 failed"

#!/usr/bin/env bash
# Runs osoby.exe under Wine on a virtual X display and dismisses each message
# box with the Return key as a user would. Wine's relay trace of MessageBoxW
# proves each box's exact prompt, title and style, in order; the run must end
# with exit code 0. Saves a screenshot of each box. First, with no display at
# all, the first box cannot be shown: the run must end through the error box
# of the failure report, with exit code 1; run from a folder with a planted
# uxtheme.dll beside it, forced native, which the program must not load.
#   wine_message_boxes_test.sh OSOBY_EXE SCREENSHOT_FOLDER WINE_PREFIX WINE_LOADER PLANTED_UXTHEME_DLL
set -euo pipefail
source "$(dirname "$0")/../support/virtual_display.sh"
exe=$1
shots=$2
export WINEPREFIX=$3
wine=$4
planted_dll=$5
# No Mono or Gecko installer windows in a new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$shots"
# Wine 10's Wayland driver looks for a compositor there and complains where
# it is unset; one of the test's own, where none listens, quiets it.
export XDG_RUNTIME_DIR=$work
on_exit='wineserver -k 2>/dev/null || true'

# The prefix, made without a display, traces only the calls of MessageBoxW.
(
    unset DISPLAY
    WINEDEBUG=-all "$wine" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d user32.MessageBoxW /f &&
        wineserver -w
) >/dev/null 2>&1 || fail "could not prepare the Wine prefix"

# A text as Wine's trace writes it: every character outside printable ASCII
# as \ and its code in four hex digits, " and \ after a \.
wine_text() {
    perl -CSA -e '$_ = shift; s/(["\\])/\\$1/g; s/([^\x20-\x7e])/sprintf("\\%04x", ord $1)/ge; print' -- "$1"
}
export LC_ALL=C.UTF-8

# Prints the N-th call of MessageBoxW in trace file FILE.
nth_call() {
    grep -a 'Call user32.MessageBoxW(' "$1" | sed -n "${2}p"
}

# Checks that CALL shows PROMPT, TITLE and STYLE, with no owner window.
expect_box() {
    local call=$1 prompt=$2 title=$3 style=$4
    [[ $call == *"MessageBoxW(00000000,"*" L\"$(wine_text "$prompt")\","*" L\"$(wine_text "$title")\",$style) ret="* ]] ||
        fail "a box was shown as: $call; expected prompt '$prompt', title '$title', style $style"
}

status=0
cp "$exe" "$planted_dll" "$work/"
(cd "$work" && unset DISPLAY WAYLAND_DISPLAY && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;uxtheme=n,b" WINEDEBUG=-all,+relay \
    timeout 10 "$wine" osoby.exe 2>no-display) || status=$?
[[ $status -eq 1 ]] || fail "with no display the run ended with exit code $status, expected 1"
[[ ! -e $work/planted-dll-loaded ]] || fail "the program loaded the uxtheme.dll planted beside it"
expect_box "$(nth_call "$work/no-display" 1)" "Nevyplněno Nevyplněno narozen dne: Nevyplněno" "Informace o Osobě" 00000000
failure_call=$(nth_call "$work/no-display" 2)
[[ $failure_call == *'L"Operace ZobrazVse osoby A selhala:\n'*'",'*' L"Osoby",00000010) ret='* ]] ||
    fail "the failure report was shown as: $failure_call"
[[ -z $(nth_call "$work/no-display" 3) ]] || fail "boxes were shown after the failure"
echo "no display: the failure report, exit code 1; the planted DLL not loaded"
# Wine's server keeps the desktop it made without a display; the next run
# needs its own.
wineserver -k 2>/dev/null || true
wineserver -w

start_virtual_display
WINEDEBUG=-all,+relay "$wine" "$exe" 2>"$work/trace" &
osoby_pid=$!

# Today's run: the boxes of any day after 20.11.1999, as prompt|title|style.
boxes=("Nevyplněno Nevyplněno narozen dne: Nevyplněno|Informace o Osobě|00000000"
       "Tarn Zíbal narozen dne: 1.1.1970|Informace o Osobě|00000000"
       "Ostin Murav narozen dne: 20.11.1972|Informace o Osobě|00000000"
       "Tarn Zíbal je starší než Ostin Murav|Osoby|00000040")
for i in "${!boxes[@]}"; do
    n=$((i + 1))
    IFS='|' read -r prompt title style <<<"${boxes[i]}"
    # Wine takes its time to start.
    window=$(await_window "$title" "$osoby_pid" $((n == 1 ? 120 : 10))) || fail "box $n, '$title', did not appear"
    expect_box "$(nth_call "$work/trace" "$n")" "$prompt" "$title" "$style"
    screenshot "$shots/box-$n.png"
    echo "box $n: $title: $prompt ($style)"
    dismiss "$window"
done

await_exit "$osoby_pid" 0 "the run"
calls=$(grep -ac 'Call user32.MessageBoxW(' "$work/trace" || true)
[[ $calls -eq ${#boxes[@]} ]] || fail "$calls boxes were shown, expected ${#boxes[@]}"
echo "1 passed, 0 failed"

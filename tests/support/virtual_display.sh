# Helpers for the tests that drive real windows on a virtual X display, as a
# user would. Source it; it needs Xvfb, xdotool and ImageMagick's import.
# It makes the test's folder, $work, and removes it at the end, having ended
# the display and the program under test ($osoby_pid) if it still runs, and
# run the test's own $on_exit. Nothing in that trap may fail.
work=$(mktemp -d)
trap 'kill ${osoby_pid:-} ${xvfb_pid:-} 2>/dev/null || true; eval "${on_exit:-}"; rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts Xvfb on a free display (it writes the number once it is ready) and
# exports DISPLAY.
# Xvfb gets no output of ours, so nobody waits on it for the end of that.
# -noreset: by default the server resets whenever its last client leaves, as
# when one dialog closes before the next opens, and a client that connects
# during that reset cannot open the display.
start_virtual_display() {
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$work/display" </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [[ -s $work/display ]] && break
        sleep 0.1
    done
    [[ -s $work/display ]] || fail "Xvfb did not start"
    export DISPLAY=:$(cat "$work/display")
    unset WAYLAND_DISPLAY
}

# Prints the id of the visible window titled exactly TITLE, waiting for it
# while process PID runs, up to SECONDS (10 by default).
await_window() {
    local title=$1 pid=$2 end=$((SECONDS + ${3:-10})) window
    while ((SECONDS < end)); do
        window=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1) || true
        if [[ -n $window ]]; then
            echo "$window"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# The screen as a picture, cut to what is drawn on it.
screenshot() {
    sleep 0.3  # let the window draw
    import -window root -trim +repage "$1"
}

# Presses KEY (Return by default) on the window, as a user dismissing it, and
# waits until it is gone, so that the next window with the same title is a
# new one. A window id alone cannot tell: the X server hands the ids of a
# client that left to the next one, so the next dialog program may show its
# dialog under the same id. The process that owns the window tells.
dismiss() {
    local window=$1 key=${2:-Return} owner
    owner=$(xdotool getwindowpid "$window" 2>/dev/null) || true
    timeout 5 xdotool windowfocus --sync "$window" key "$key" 2>/dev/null
    local end=$((SECONDS + 5))
    while ((SECONDS < end)); do
        xdotool getwindowname "$window" >/dev/null 2>&1 || return 0
        [[ $(xdotool getwindowpid "$window" 2>/dev/null) == "$owner" ]] || return 0
        sleep 0.1
    done
    fail "window $window stayed after $key"
}

# Waits up to 10 s for process PID, a child of this shell, to end with exit
# code CODE (128 + the signal that ended it), or fails saying WHAT, and FILE's
# contents if given. Not for a subshell: only this shell can wait.
await_exit() {
    local pid=$1 code=$2 what=$3 file=${4:-} end=$((SECONDS + 10)) status=0
    while ((SECONDS < end)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the program is still running, waiting for a box more than expected"
    wait "$pid" || status=$?
    ((status == code)) || fail "$what: exit code $status, not $code${file:+: $(cat "$file")}"
}

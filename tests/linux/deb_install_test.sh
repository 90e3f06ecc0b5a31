#!/usr/bin/env bash
# The Debian package as a user meets it, on a virtual X display: installed
# with apt-get, its entry in the desktop's menu, started as a desktop starts
# it (no terminal: no input, output to nobody), the first real dialog shown
# and closed, then purged, leaving nothing of its own behind. Needs root,
# apt-get, and what virtual_display.sh needs; changes the system it runs on.
#   deb_install_test.sh OSOBY_DEB
set -euo pipefail
source "$(dirname "$0")/../support/virtual_display.sh"
deb=$(realpath "$1")
entry=/usr/share/applications/osoby.desktop

DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >"$work/apt" 2>&1 || fail "apt-get install: $(cat "$work/apt")"
dpkg -L osoby | grep -vx /. >"$work/files"
# In the menu: an entry where menus look, shown, with its icon in the theme.
grep -qx "$entry" "$work/files" || fail "no $entry"
! grep -q '^NoDisplay=true' "$entry" || fail "$entry is hidden from menus"
[[ -f /usr/share/icons/hicolor/48x48/apps/$(sed -n 's/^Icon=//p' "$entry").png ]] || fail "the entry's icon is not in the theme"

start_virtual_display
# The Exec line as a desktop runs it: its own session, no terminal.
read -r -a command <<<"$(sed -n 's/^Exec=//p' "$entry" | sed 's/ %[fFuUik]//g')"
setsid "${command[@]}" </dev/null >"$work/out" 2>&1 &
osoby_pid=$!
window=$(await_window 'Informace o Osobě' "$osoby_pid") || fail "no dialog appeared: $(cat "$work/out")"
dismiss "$window"
# Closed, the next box follows; the run is ended here, as by the session's end.
await_window 'Informace o Osobě' "$osoby_pid" >/dev/null || fail "no second dialog: $(cat "$work/out")"
kill -TERM "$osoby_pid"
await_exit "$osoby_pid" $((128 + 15)) "ended by SIGTERM" "$work/out"

DEBIAN_FRONTEND=noninteractive apt-get purge -y -q osoby >"$work/apt" 2>&1 || fail "apt-get purge: $(cat "$work/apt")"
# Left behind only where another package owns it (shared folders such as /usr/share).
while IFS= read -r path; do
    [[ ! -e $path ]] || dpkg -S "$path" >/dev/null 2>&1 || fail "purged, $path is still there"
done <"$work/files"
echo "$(basename "$deb"): installed, started from its desktop entry, its dialog shown and closed, purged clean"

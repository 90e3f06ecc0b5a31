#!/usr/bin/env bash
# Checks the Debian package that make.sh made as Debian's tools read it: the
# desktop entry, the AppStream metadata (errors fail; warnings are printed),
# the manual page as man renders it, and lintian (errors and warnings fail;
# informational tags are printed). Needs desktop-file-utils, appstream,
# man-db and lintian.
#   release/check_deb.sh [FOLDER]    FOLDER: build-release/ by default
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
release=$(realpath "${1:-$root/build-release}")
deb=$(ls "$release"/osoby_*_amd64.deb)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $deb: $*" >&2
    exit 1
}
dpkg-deb -x "$deb" "$work"

desktop-file-validate "$work/usr/share/applications/osoby.desktop" || fail "the desktop entry is not valid"
said=$(desktop-file-validate --warn-kde "$work/usr/share/applications/osoby.desktop" 2>&1)
[[ -z $said ]] || fail "the desktop entry: $said"
grep -qx 'Terminal=false' "$work/usr/share/applications/osoby.desktop" || fail "the desktop entry asks for a terminal"

# appstreamcli's exit code counts warnings too; an error is a line "E: ".
said=$(appstreamcli validate --no-net --no-color "$work/usr/share/metainfo/osoby.metainfo.xml" 2>&1) || true
echo "$said" | sed 's/^/appstreamcli: /'
! grep -q '^E: ' <<<"$said" || fail "the AppStream metadata has errors"

said=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$work/usr/share/man/man1/osoby.1.gz" 2>&1 >/dev/null)
[[ -z $said ]] || fail "man warns: $said"

said=$(lintian --fail-on error,warning --display-info "$deb" 2>&1) || fail "lintian: $said"
echo "$said" | grep -v '^running with root' | sed 's/^/lintian: /'
echo "$(basename "$deb"): desktop entry, AppStream metadata, manual page and lintian checked"

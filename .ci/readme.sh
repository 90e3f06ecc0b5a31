#!/usr/bin/env bash
# Runs the README's commands as a newcomer would: every ```sh block, in order,
# as one script in the empty folder FOLDER, so that a stale line fails CI.
# The clone's address, which the README leaves to the reader, is REPO.
#   .ci/readme.sh REPO FOLDER [SECTION...]    only the blocks under these "## " headings
set -euo pipefail
repo=$(realpath "$1")
work=$2
shift 2
script=$(mktemp)
trap 'rm -f "$script"' EXIT
awk -v wanted="$(printf '%s\n' "$@")" '
    BEGIN { n = split(wanted, list, "\n"); for (i = 1; i <= n; i++) if (list[i] != "") { only[list[i]] = 1; some = 1 } }
    /^## / { section = substr($0, 4) }
    /^```/ { inside = !inside && $0 == "```sh"; next }
    inside && (!some || section in only) { print }
' "$repo/README.md" | sed "s|URL-OF-THIS-REPOSITORY|$repo|g" >"$script"
[ -s "$script" ] || { echo "README.md has no sh block under: $*" >&2; exit 1; }
echo "The README's commands${*:+ under: $*}:"
cat "$script"
mkdir -p "$work"
cd "$work"
DEBIAN_FRONTEND=noninteractive bash -euxo pipefail "$script" </dev/null

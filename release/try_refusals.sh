#!/usr/bin/env bash
# Runs release/make.sh of a scratch clone of this checkout on every folder it
# must refuse, beside the nearest one it must take, and checks that a refused
# run deletes nothing. A cmake that only says it was reached stands in for
# the build, so that no row builds anything.
#   release/try_refusals.sh
set -euo pipefail
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
git clone -q "$(cd "$(dirname "$0")/.." && pwd)" "$scratch/clone"
clone=$scratch/clone
mkdir "$scratch/bin"
printf '#!/bin/sh\necho cmake reached >&2\nexit 3\n' >"$scratch/bin/cmake"
chmod +x "$scratch/bin/cmake"
mkdir "$scratch/full" "$scratch/empty" "$scratch/made"
echo keep >"$scratch/full/mine"
echo keep >"$scratch/made/mine"
mkdir "$scratch/made/stage" && printf 'stage\n' >"$scratch/made/.osoby-release"
failures=0

# Folder, what must be said, and whether the tree is dirty for the run.
while IFS='|' read -r folder said dirty; do
    [[ -z $dirty ]] || echo changed >>"$clone/LICENSE"
    message=$(cd "$clone" && PATH=$scratch/bin:$PATH release/make.sh "$folder" 2>&1) && status=0 || status=$?
    git -C "$clone" checkout -q LICENSE
    if [[ $status == 0 || $message != *"$said"* ]]; then
        echo "FAIL: make.sh $folder${dirty:+ (uncommitted change)}: exit $status, said: $message" >&2
        failures=$((failures + 1))
    fi
done <<ROWS
/|refusing to make the release in /|
$clone|refusing to make the release in the checkout itself|
$clone/.|refusing to make the release in the checkout itself|
$scratch|it holds the checkout|
$scratch/full|it is not empty and release/make.sh did not make it|
$clone/release|it is not empty and release/make.sh did not make it|
$clone/LICENSE|it is not a folder|
$scratch/empty|uncommitted changes|dirty
$scratch/empty|cmake reached|
$scratch/new|cmake reached|
$scratch/made|cmake reached|
ROWS

# Refused runs left everything; the taken ones deleted only what their list named.
for kept in "$clone/LICENSE" "$clone/release/make.sh" "$scratch/full/mine" "$scratch/made/mine" \
    "$scratch/empty/.osoby-release" "$scratch/new/.osoby-release"; do
    [[ -e $kept ]] || { echo "FAIL: $kept is gone" >&2; failures=$((failures + 1)); }
done
[[ ! -e $scratch/made/stage ]] || { echo "FAIL: the listed $scratch/made/stage is still there" >&2; failures=$((failures + 1)); }
[[ -z $(git -C "$clone" status --porcelain) ]] || { echo "FAIL: the clone changed" >&2; failures=$((failures + 1)); }
((failures == 0)) || exit 1
echo "release/make.sh refuses every folder it must and deletes only what it made"

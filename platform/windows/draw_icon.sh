#!/usr/bin/env bash
# Draws the program's icon, a person's figure, and writes osoby.ico beside
# this script in the sizes Windows asks for. The icon is kept in the
# repository, so a build needs no image tools; run this only to change it.
# Needs ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Drawn once at 256 pixels on a transparent ground: a round head over rounded
# shoulders, in the blue of a selected item, with a darker rim.
convert -size 256x256 xc:none \
    -fill '#2f6fb6' -stroke '#1d4f8a' -strokewidth 10 \
    -draw 'circle 128,78 128,130' \
    -draw 'roundrectangle 44,148 212,244 64,64' \
    "$work/person.png"
# The smaller sizes scaled from it; every size one layer.
convert "$work/person.png" -depth 8 -define icon:auto-resize=256,48,32,16 "$here/osoby.ico"

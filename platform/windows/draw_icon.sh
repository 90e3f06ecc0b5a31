#!/usr/bin/env bash
# Draws the program's icon, a person's figure, and writes osoby.ico beside
# this script in the sizes Windows asks for. The icon is kept in the
# repository, so a build needs no image tools; run this only to change it.
# Needs ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A round head over rounded shoulders, light blue with a mid-blue rim. The
# rim's luminance (0.20) sits where it stands out 3.9:1 from a dark taskbar
# (#202020) and 4.2:1 from white, so the figure keeps its edge on both; the
# dark rim drawn before came to 2:1 on #202020.
fill='#b4d8fa' rim='#3a7dd2'
# Each size drawn at that size, on whole pixels, not scaled from a larger
# one: a rim of at least one pixel and at least one clear row between head
# and shoulders, which at 16 pixels run together when scaled down.
layers=()
for size in 16 20 24 32 40 48 64 256; do
    # Outer edges (the rim's outside) in whole pixels; ImageMagick draws a
    # rim centred on its path, so the path lies half a rim inside them.
    read -r rim_width head body <<<"$(awk -v s="$size" 'function r(x) { return int(x + 0.5) } BEGIN {
        w = r(s / 20); if (w < 1) w = 1
        top = r(0.03 * s); diameter = 2 * r(0.22 * s); head_bottom = top + diameter
        gap = r(0.06 * s); if (gap < 2) gap = 2
        left = r(0.1 * s); right = s - left; bottom = s - r(0.02 * s); corner = 0.28 * s
        h = w / 2
        printf "%d circle_%g,%g_%g,%g roundrectangle_%g,%g_%g,%g_%g,%g\n", w,
            s / 2, top + diameter / 2, s / 2, top + h,
            left + h, head_bottom + gap + h, right - h, bottom - h, corner, corner
    }')"
    convert -size "${size}x$size" xc:none -fill "$fill" -stroke "$rim" -strokewidth "$rim_width" \
        -draw "${head//_/ }" -draw "${body//_/ }" "$work/$size.png"
    layers+=("$work/$size.png")
done
# Every size one layer, 32-bit with alpha.
convert "${layers[@]}" -depth 8 "$here/osoby.ico"

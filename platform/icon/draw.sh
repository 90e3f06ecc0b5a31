#!/usr/bin/env bash
# Draws the program's icon, a person's figure, once for every size the
# platforms ask for: osoby-SIZE.png beside this script for the Linux desktop
# (the hicolor theme's sizes), osoby.svg for any other size, and
# ../windows/osoby.ico with the sizes Windows asks for. The icons are kept in
# the repository, so a build needs no image tools; run this only to change
# them. Needs rsvg-convert (librsvg2-bin) and ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A round head over rounded shoulders, light blue with a mid-blue rim. The
# rim's luminance (0.20) sits where it stands out 3.9:1 from a dark taskbar
# (#202020) and 4.2:1 from white, so the figure keeps its edge on both; the
# dark rim drawn before came to 2:1 on #202020.
fill='#b4d8fa' rim='#3a7dd2'

# The figure drawn for SIZE pixels, as SVG. Each size is drawn for itself,
# not scaled from a larger one: a rim of whole pixels, at least one clear
# row between head and shoulders, and a clear row at the top and bottom
# edges. SVG's coordinates run along pixel edges, so an outer edge on a whole
# number and a path half a rim inside it give straight rims with no soft
# pixels; every size is even, so the centre lies between two columns.
svg() {
    awk -v s="$1" -v fill="$fill" -v rim="$rim" 'function r(x) { return int(x + 0.5) } BEGIN {
        w = r(s / 20); if (w < 1) w = 1
        margin = r(0.03 * s); if (margin < 1) margin = 1
        top = margin; diameter = 2 * r(0.22 * s); head_bottom = top + diameter
        gap = r(0.06 * s); if (gap < 1) gap = 1
        left = r(0.1 * s); right = s - left; bottom = s - margin
        body = head_bottom + gap; h = w / 2
        corner = 0.28 * s; if (corner > 0.6 * (bottom - body)) corner = 0.6 * (bottom - body)
        printf "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\">\n", s, s, s, s
        printf "  <g fill=\"%s\" stroke=\"%s\" stroke-width=\"%d\">\n", fill, rim, w
        printf "    <circle cx=\"%g\" cy=\"%g\" r=\"%g\"/>\n", s / 2, top + diameter / 2, diameter / 2 - h
        printf "    <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" rx=\"%g\"/>\n", left + h, body + h,
            right - left - w, bottom - body - w, corner - h
        printf "  </g>\n</svg>\n"
    }'
}

for size in 16 20 22 24 32 40 48 64 128 256; do
    svg "$size" >"$work/$size.svg"
    rsvg-convert "$work/$size.svg" -o "$work/$size.png"
done
for size in 16 22 24 32 48 64 128 256; do
    # Colour type and bit depth fixed, and no time stamp, so equal drawings give equal files.
    convert "$work/$size.png" -define png:color-type=6 -define png:bit-depth=8 -strip "$here/osoby-$size.png"
done
svg 256 >"$here/osoby.svg"
# Every Windows size one layer, 32-bit with alpha.
convert "$work"/{16,20,24,32,40,48,64,256}.png -depth 8 "$here/../windows/osoby.ico"

#!/usr/bin/env bash
# Makes the release from this checkout: the 32-bit and 64-bit Windows programs
# and the Linux program, each in an archive with LICENSE, the notices and
# README.txt, and SHA256SUMS. The same commit gives the same archives to the
# byte: entries sorted, every time the last commit's (or SOURCE_DATE_EPOCH),
# owners 0/0.
#   release/make.sh [FOLDER]    FOLDER: build-release/ by default; emptied first
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build-release}")
cd "$root"
export LC_ALL=C TZ=UTC
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
version=$(sed -n 's/^project(osoby VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
commit=$(git describe --always --dirty --abbrev=40)

rm -rf "$out"
mkdir -p "$out"

# Builds PRESET's program in a folder of its own and prints its path.
build() {
    local dir=$out/build-$1
    cmake --preset "$1" -B "$dir" >/dev/null
    cmake --build "$dir" --target osoby >/dev/null
    echo "$dir/$2"
}

# Puts PROGRAM and its texts in folder NAME, ending text lines with EOL.
stage() {
    local name=$1 program=$2 eol=$3 dir=$out/stage/$1 text
    mkdir -p "$dir"
    install -m 755 "$program" "$dir/"
    for text in LICENSE release/THIRD-PARTY-NOTICES.txt release/README.txt; do
        sed -e "s/@VERSION@/$version/g; s/@COMMIT@/$commit/g; s/\$/$eol/" "$text" >"$dir/${text##*/}"
        chmod 644 "$dir/${text##*/}"
    done
    chmod 755 "$dir"
    find "$dir" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

for arch in x86:windows x64:windows64; do
    name=osoby-$version-windows-${arch%:*}
    stage "$name" "$(build "${arch#*:}" osoby.exe)" '\r'
    (cd "$out/stage" && find "$name" -type f | sort | zip -X -D -q "$out/$name.zip" -@)
done
name=osoby-$version-linux-x86_64
stage "$name" "$(build demo osoby)" ''
tar -C "$out/stage" --sort=name --format=gnu --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
    -cf - "$name" | gzip -9n >"$out/$name.tar.gz"

# The page, for any browser: osoby.html with the same texts, its notices
# those of Emscripten's runtime inside it.
name=osoby-$version-web
cmake --preset web -B "$out/build-web" >/dev/null
cmake --build "$out/build-web" --target osoby_page >/dev/null
stage "$name" "$out/build-web/osoby.html" '\r'
chmod 644 "$out/stage/$name/osoby.html"
sed -e 's/$/\r/' release/THIRD-PARTY-NOTICES-web.txt >"$out/stage/$name/THIRD-PARTY-NOTICES.txt"
touch -d "@$SOURCE_DATE_EPOCH" "$out/stage/$name/THIRD-PARTY-NOTICES.txt"
(cd "$out/stage" && find "$name" -type f | sort | zip -X -D -q "$out/$name.zip" -@)

cd "$out"
sha256sum osoby-*.zip osoby-*.tar.gz >SHA256SUMS
cat SHA256SUMS

#!/usr/bin/env bash
# Tries a release made by make.sh as a user would: checks the checksums,
# unpacks each archive into an empty folder and runs its program from there.
# The Linux program, with no input, prints today's four lines and needs the
# glibc its README.txt states; each Windows program shows today's boxes
# under Wine (the 32-bit one where 32-bit Wine starts), with the test
# build's planted DLL beside it. Needs the Windows test presets built.
#   release/try.sh [FOLDER]    FOLDER: build-release/ by default
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
release=$(realpath "${1:-$root/build-release}")
export LC_ALL=C.UTF-8
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
version=$(sed -n 's/^project(osoby VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
# Its own folder inside the release, which make.sh's list names; nothing else is deleted.
[[ -f $release/.osoby-release ]] || fail "$release was not made by release/make.sh"
work=$release/try
rm -rf "$work"

(cd "$release" && sha256sum -c SHA256SUMS)

# Unpacks ARCHIVE into empty folder FOLDER, checks that it holds PROGRAM and
# its texts (README.txt with Windows line endings in a zip), and prints the
# folder they are in.
unpack() {
    local dir=$work/$1 archive=$2 program=$3
    mkdir -p "$dir"
    case $archive in
    *.zip) unzip -q "$release/$archive" -d "$dir" ;;
    *) tar -C "$dir" -xzf "$release/$archive" ;;
    esac
    dir=$dir/${archive%%.[tz]*}
    [[ $(ls -A "$dir" | xargs) == "LICENSE README.txt THIRD-PARTY-NOTICES.txt $program" ]] ||
        fail "$archive holds: $(cd "$work/$1" && find . | sort | xargs)"
    if [[ $archive == *.zip ]] && grep -qv $'\r$' "$dir/README.txt"; then
        fail "$archive: README.txt has lines without Windows line endings"
    fi
    echo "$dir"
}

name=osoby-$version-linux-x86_64
dir=$(unpack linux "$name.tar.gz" osoby)
# Any day after 20.11.1999, as the README's terminal section shows it.
expected="Informace o Osobě: Nevyplněno Nevyplněno narozen dne: Nevyplněno
Informace o Osobě: Tarn Zíbal narozen dne: 1.1.1970
Informace o Osobě: Ostin Murav narozen dne: 20.11.1972
(i) Osoby: Tarn Zíbal je starší než Ostin Murav"
actual=$(cd "$dir" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 ./osoby </dev/null) ||
    fail "$name: ./osoby </dev/null ended with exit code $?"
[[ $actual == "$expected" ]] || fail "$name: ./osoby </dev/null printed:"$'\n'"$actual"
echo "$name: today's four lines"

# The newest glibc symbol version the program needs, as its README.txt states it.
needs=$(objdump -T "$dir/osoby" | grep -o 'GLIBC_[0-9.]*[0-9]' | sed 's/GLIBC_//' | sort -Vu | tail -n 1)
stated=$(sed -n 's/.*glibc \([0-9.]*[0-9]\) or later.*/\1/p' "$dir/README.txt")
[[ -n $needs ]] || fail "$name: the program takes no versioned symbol from glibc"
[[ $stated == "$needs" ]] || fail "$name needs glibc $needs, its README.txt states '$stated'"
echo "$name: needs glibc $needs, as its README.txt states"

# The page, opened from its folder in headless Chromium: today's boxes.
name=osoby-$version-web
dir=$(unpack web "$name.zip" osoby.html)
node "$root/tests/web/page_test.mjs" chromium "$(command -v chromium)" "$dir/osoby.html" \
    TodaysRunShowsItsBoxesInOrderThenSaysSoAndRunsAgain || fail "$name: today's boxes in Chromium"
echo "$name: today's boxes in Chromium"

for arch in x64 x86; do
    name=osoby-$version-windows-$arch
    dir=$(unpack "windows-$arch" "$name.zip" osoby.exe)
    if [[ $arch == x64 ]]; then
        loader=/usr/lib/wine/wine64 wine_arch=win64 tests=build-windows64-test
    else
        loader=/usr/lib/wine/wine wine_arch=win32 tests=build-windows-test
    fi
    if ! why=$(bash -c 'exec "$0" --version' "$loader" 2>&1 >/dev/null); then
        echo "Skipped: $name; $loader cannot run here: ${why%%$'\n'*}"
        continue
    fi
    # The DLL that the test build plants beside the program, which must not load it.
    planted=$root/$tests/tests/windows/uxtheme.dll
    [[ -f $planted ]] || fail "$planted is missing: run cmake --workflow --preset ${tests#build-} first"
    (cd "$dir" && WINEARCH=$wine_arch bash "$root/tests/windows/wine_message_boxes_test.sh" "$dir/osoby.exe" \
        "$work/screenshots-$arch" "$work/wine-prefix-$arch" "$loader" "$planted") || fail "$name: the boxes under Wine"
    echo "$name: today's boxes under Wine"
done

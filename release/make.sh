#!/usr/bin/env bash
# Makes the release from this checkout: the 32-bit and 64-bit Windows programs
# and the Linux program, each in an archive with LICENSE, the notices and
# README.txt, the Debian package, and SHA256SUMS. The same commit gives the
# same files to the byte: entries sorted, every time the last commit's (or
# SOURCE_DATE_EPOCH), owners 0/0, whatever the folder, umask, time zone or
# compiler flags of the person who makes it.
#   release/make.sh [FOLDER]    FOLDER: build-release/ by default
# FOLDER must be empty, missing, or one this script made before (it holds
# .osoby-release, the list of what the release tools put there); only what
# that list names is deleted. The Linux program is built for the oldest glibc
# the release supports, Debian 12's, so the release is made on Debian 12.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd -P)
out=$(realpath -m "${1:-$root/build-release}")
stamp=$out/.osoby-release
cd "$root"
umask 022
export LC_ALL=C TZ=UTC

refuse() {
    echo "release/make.sh: $*" >&2
    exit 1
}
# The release names its commit and takes its time from it.
head=$(git rev-parse 'HEAD^{commit}') || refuse "$root is not a git checkout that git can read here"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

# The folder: never one that holds anything this script did not put there.
[[ $out != / ]] || refuse "refusing to make the release in /"
[[ $out != "$root" ]] || refuse "refusing to make the release in the checkout itself ($root); name a folder of its own"
[[ $root/ != "$out"/* ]] || refuse "refusing $out: it holds the checkout ($root)"
[[ ! -e $out || -d $out ]] || refuse "refusing $out: it is not a folder"
if [[ -d $out && ! -f $stamp && -n $(ls -A "$out") ]]; then
    refuse "refusing $out: it is not empty and release/make.sh did not make it (no .osoby-release); name an empty or new folder"
fi
# The release says which commit it is made from, so it is made from that commit only.
changes=$(git status --porcelain --untracked-files=no) || refuse "git cannot read the state of $root"
if [[ -n $changes ]]; then
    refuse "refusing to make a release from a tree with uncommitted changes:"$'\n'"$(git status --short --untracked-files=no)"
fi
# Debian 12's glibc, 2.36: a program built against a newer one may need its newer symbols.
oldest_glibc=2.36
glibc=$(getconf GNU_LIBC_VERSION | cut -d' ' -f2)
if [[ $(printf '%s\n' "$glibc" "$oldest_glibc" | sort -V | tail -n 1) != "$oldest_glibc" ]]; then
    refuse "this system has glibc $glibc; the Linux program must be built against Debian 12's ($oldest_glibc)," \
        "so that it runs there: make the release on Debian 12, or in a Debian 12 root" \
        "(debootstrap --variant=minbase bookworm ROOT http://deb.debian.org/debian, then chroot ROOT)"
fi

version=$(sed -n 's/^project(osoby VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || refuse "CMakeLists.txt's project() gives no version ('$version')"
commit=$head
windows_names=(osoby-$version-windows-x86.zip osoby-$version-windows-x64.zip)
linux_name=osoby-$version-linux-x86_64
deb_name=osoby_${version}_amd64.deb
web_name=osoby-$version-web

# What the release tools make in the folder, the only things they delete
# there; try.sh's folder included.
made=(build-windows build-windows64 build-demo build-web stage try "${windows_names[@]}" "$linux_name.tar.gz"
    "$deb_name" "$web_name.zip" SHA256SUMS)
if [[ -f $stamp ]]; then
    while IFS= read -r entry; do
        [[ -n $entry && $entry != . && $entry != .. && $entry != */* ]] || refuse "$stamp names '$entry'"
        rm -rf -- "${out:?}/$entry"
    done <"$stamp"
fi
mkdir -p "$out"
printf '%s\n' "${made[@]}" >"$stamp"

# Builds PRESET's program (TARGET, osoby by default) in a folder of its own
# and prints the path of FILE there. The
# builder's own flags (CXXFLAGS, LDFLAGS, a toolchain or generator of their
# own) would change the program: the build sees none of their environment.
build() {
    local dir=$out/build-$1
    env -i PATH="$PATH" HOME="$HOME" LC_ALL=C TZ=UTC SOURCE_DATE_EPOCH="$SOURCE_DATE_EPOCH" \
        cmake --preset "$1" -B "$dir" >/dev/null
    env -i PATH="$PATH" HOME="$HOME" LC_ALL=C TZ=UTC cmake --build "$dir" --target "${3:-osoby}" >/dev/null
    echo "$dir/$2"
}

linux_program=$(build demo osoby)
# The newest glibc symbol version the program takes, as README.txt states it.
needs_glibc=$(objdump -T "$linux_program" | grep -o 'GLIBC_[0-9.]*[0-9]' | sed 's/GLIBC_//' | sort -Vu | tail -n 1)
[[ -n $needs_glibc ]] || refuse "$linux_program takes no versioned symbol from glibc"

# Puts PROGRAM and its texts in folder NAME, ending text lines with EOL.
stage() {
    local name=$1 program=$2 eol=$3 dir=$out/stage/$1 text
    mkdir -p "$dir"
    install -m 755 "$program" "$dir/"
    for text in LICENSE release/THIRD-PARTY-NOTICES.txt release/README.txt; do
        sed -e "s/@VERSION@/$version/g; s/@COMMIT@/$commit/g; s/@GLIBC@/$needs_glibc/g; s/\$/$eol/" \
            "$text" >"$dir/${text##*/}"
        chmod 644 "$dir/${text##*/}"
    done
    chmod 755 "$dir"
    find "$dir" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# Zip's Unix extra field carries the owner's uid and gid, which differ from
# one person to the next: set to 0, as the tarball's owners are. Its
# extended timestamp field stays, so that every time zone reads each file's
# time as the commit's; the DOS time beside it is written in UTC.
zero_zip_owners() {
    perl -e '
        local $/; open my $f, "+<:raw", $ARGV[0] or die "$ARGV[0]: $!"; my $z = <$f>;
        sub owners { my ($at, $len) = @_; my $end = $at + $len;
            while ($at + 4 <= $end) { my ($id, $size) = unpack "vv", substr $z, $at, 4;
                if ($id == 0x7875) { my $p = $at + 5; my $u = ord substr $z, $p, 1;
                    substr($z, $p + 1, $u) = "\0" x $u; $p += 1 + $u; my $g = ord substr $z, $p, 1;
                    substr($z, $p + 1, $g) = "\0" x $g }
                $at += 4 + $size } }
        my $at = 0;
        while (substr($z, $at, 4) eq "PK\3\4") { my ($size, $n, $e) = unpack "V x4 vv", substr $z, $at + 18, 12;
            owners($at + 30 + $n, $e); $at += 30 + $n + $e + $size }
        while (substr($z, $at, 4) eq "PK\1\2") { my ($n, $e, $c) = unpack "vvv", substr $z, $at + 28, 6;
            owners($at + 46 + $n, $e); $at += 46 + $n + $e + $c }
        substr($z, $at, 4) eq "PK\5\6" or die "$ARGV[0]: not the zip expected";
        seek $f, 0, 0; print $f $z; close $f or die' "$1"
}

for arch in x86:windows x64:windows64; do
    name=osoby-$version-windows-${arch%:*}
    stage "$name" "$(build "${arch#*:}" osoby.exe)" '\r'
    (cd "$out/stage" && find "$name" -type f | sort | zip -D -q "$out/$name.zip" -@)
    zero_zip_owners "$out/$name.zip"
done
stage "$linux_name" "$linux_program" ''
tar -C "$out/stage" --sort=name --format=gnu --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
    -cf - "$linux_name" | gzip -9n >"$out/$linux_name.tar.gz"

# The Debian package: the program stripped, its desktop entry, icons, AppStream
# metadata, manual page, copyright and changelog; built with dpkg-deb alone.
deb=$out/stage/deb
date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)
fill() { sed -e "s/@VERSION@/$version/g; s/@DATE@/$date/g" "$@"; }
install -d "$deb/DEBIAN" "$deb/usr/bin" "$deb/usr/share/applications" "$deb/usr/share/metainfo" \
    "$deb/usr/share/man/man1" "$deb/usr/share/doc/osoby" "$deb/usr/share/icons/hicolor/scalable/apps"
install -m 755 "$linux_program" "$deb/usr/bin/osoby"
strip --remove-section=.comment --remove-section=.note "$deb/usr/bin/osoby"
install -m 644 release/debian/osoby.desktop "$deb/usr/share/applications/"
fill release/debian/osoby.metainfo.xml >"$deb/usr/share/metainfo/osoby.metainfo.xml"
fill release/debian/osoby.1 | gzip -9n >"$deb/usr/share/man/man1/osoby.1.gz"
install -m 644 release/debian/copyright "$deb/usr/share/doc/osoby/"
# A native package's changelog: this version, dated by the commit.
printf 'osoby (%s) unstable; urgency=medium\n\n  * Release %s, from commit %s.\n\n -- %s  %s\n' "$version" \
    "$version" "$commit" "$(sed -n 's/^Maintainer: //p' release/debian/control.in)" \
    "$(date -u -R -d "@$SOURCE_DATE_EPOCH")" | gzip -9n >"$deb/usr/share/doc/osoby/changelog.gz"
for icon in platform/icon/osoby-*.png; do
    size=${icon##*-} size=${size%.png}
    install -D -m 644 "$icon" "$deb/usr/share/icons/hicolor/${size}x$size/apps/osoby.png"
done
install -m 644 platform/icon/osoby.svg "$deb/usr/share/icons/hicolor/scalable/apps/"
# The C library's version from the program's own symbols, as dpkg-shlibdeps
# reads them; it wants a debian/control to look at.
mkdir -p "$out/stage/shlibs/debian"
printf 'Source: osoby\n\nPackage: osoby\nArchitecture: amd64\n' >"$out/stage/shlibs/debian/control"
shlibs=$(cd "$out/stage/shlibs" && dpkg-shlibdeps -O "$deb/usr/bin/osoby" | sed -n 's/^shlibs:Depends=//p')
[[ -n $shlibs ]] || refuse "dpkg-shlibdeps found no library the program needs"
# Installed-Size as dpkg counts it: a KiB, rounded up, for each file, and one for each folder.
installed_size=$(find "$deb/usr" -printf '%y %s\n' | awk '{ k += $1 == "f" ? int(($2 + 1023) / 1024) : 1 } END { print k }')
fill release/debian/control.in | sed -e "s/@SHLIBS@/$shlibs/; s/@INSTALLED_SIZE@/$installed_size/" >"$deb/DEBIAN/control"
(cd "$deb" && find usr -type f | sort | xargs md5sum >DEBIAN/md5sums)
find "$deb" -type d -exec chmod 755 {} + -o -type f ! -path '*/usr/bin/*' -exec chmod 644 {} +
find "$deb" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
dpkg-deb --root-owner-group -Zxz --threads-max=1 --build "$deb" "$out/$deb_name" >/dev/null

# The page, for any browser: osoby.html with the same texts, its notices
# those of Emscripten's runtime inside it.
stage "$web_name" "$(build web osoby.html osoby_page)" '\r'
chmod 644 "$out/stage/$web_name/osoby.html"
sed -e 's/$/\r/' release/THIRD-PARTY-NOTICES-web.txt >"$out/stage/$web_name/THIRD-PARTY-NOTICES.txt"
touch -d "@$SOURCE_DATE_EPOCH" "$out/stage/$web_name/THIRD-PARTY-NOTICES.txt"
(cd "$out/stage" && find "$web_name" -type f | sort | zip -D -q "$out/$web_name.zip" -@)
zero_zip_owners "$out/$web_name.zip"

cd "$out"
sha256sum osoby-*.zip osoby-*.tar.gz "$deb_name" >SHA256SUMS
cat SHA256SUMS

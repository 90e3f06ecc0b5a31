#!/usr/bin/env bash
# Checks that a built osoby.exe is finished as a native Windows application:
# the PE header (format, GUI subsystem, Vista as the least Windows, aware of
# terminal servers, no link time), imports of system DLLs only, and the
# resources (manifest, version information, icon in every size). Prints one
# line with its format and size. Needs objdump for the target and icoutils.
#   inspect_exe.sh OSOBY_EXE OBJDUMP FORMAT VERSION [MAX_BYTES]
#   FORMAT: pei-i386 or pei-x86-64; VERSION as project() gives it (1.0.1)
set -euo pipefail
exe=$1 objdump=$2 format=$3 version=$4 max_bytes=${5:-}
# An empty version would match any version information.
[[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || { echo "FAIL: the expected version is '$version', not 1 to 4 numbers" >&2; exit 2; }
export LC_ALL=C.UTF-8 TZ=UTC
failures=0
fail() {
    echo "FAIL: $exe: $*" >&2
    failures=$((failures + 1))
}
has() { grep -qF -- "$2" <<<"$1" || fail "$3"; }

header=$("$objdump" -p "$exe")
has "$header" "file format $format" "not $format"
has "$header" $'Subsystem\t\t00000002\t(Windows GUI)' "not a GUI program"
for field in MajorOSystemVersion MajorSubsystemVersion; do
    has "$header" "$field"$'\t'6 "$field is not 6 (Vista)"
done
characteristics=$(sed -n 's/^DllCharacteristics\t*//p' <<<"$header")
((0x$characteristics & 0x8000)) || fail "not aware of terminal servers"
has "$header" $'Time/Date\t\tThu Jan  1 00:00:00 1970' "the header carries the link time"
while read -r dll; do
    case ${dll,,} in
    kernel32.dll | user32.dll | msvcrt.dll) ;;
    *) fail "imports $dll, which is no system DLL" ;;
    esac
done < <(sed -n 's/^\tDLL Name: //p' <<<"$header")

manifest=$(wrestool -x --raw --type=24 --name=1 "$exe")
for key in 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' '>PerMonitorV2<' '>true/pm<' \
    'level="asInvoker"' '{e2011457-1546-43c5-a5fe-008deee3d3f0}' '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' \
    '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}' '{1f676c76-80e1-4239-95bb-83d0f6d0da78}' \
    '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'; do
    has "$manifest" "$key" "the manifest lacks $key"
done

# The version information's texts are UTF-16; once converted, each key on a
# line of its own after its header's bytes (the last \x01), its value on the
# next line that is not empty.
strings=$(wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 -c | tr '\0' '\n')
value_of() { awk -v key=$'\x01'"$1" 'found && NF { print; exit } substr($0, length($0) - length(key) + 1) == key { found = 1 }' <<<"$strings"; }
for pair in $'FileDescription\nUkázka objektu osoby' $'ProductName\nOsoby' $'FileVersion\n'"$version" \
    $'ProductVersion\n'"$version" $'LegalCopyright\n© 2026 autoři programu osoby'; do
    key=${pair%%$'\n'*} value=${pair#*$'\n'}
    actual=$(value_of "$key")
    [[ $actual == "$value" ]] || fail "the version information's $key is '$actual', not '$value'"
done

# The numbers Explorer shows, every part of the version, padded to four.
IFS=. read -r -a parts <<<"$version.0.0.0"
numbers=${parts[0]}.${parts[1]}.${parts[2]}.${parts[3]}
fixed=$(wrestool -x --raw --type=16 "$exe" | od -An -tx1 -v | tr -d ' \n')
fixed=${fixed#*bd04effe} # VS_FIXEDFILEINFO's signature, then its version, the file's and the product's
le32() { echo $((16#${1:6:2}${1:4:2}${1:2:2}${1:0:2})); }
for at in 8 24; do
    high=$(le32 "${fixed:at:8}") low=$(le32 "${fixed:at+8:8}")
    actual=$((high >> 16)).$((high & 65535)).$((low >> 16)).$((low & 65535))
    [[ $actual == "$numbers" ]] || fail "the version numbers are $actual, not $numbers"
done

icon=$(mktemp)
trap 'rm -f "$icon"' EXIT
wrestool -x --type=14 "$exe" >"$icon"
icons=$(icotool -l "$icon" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | xargs)
[[ $icons == "16 20 24 32 40 48 64 256" ]] || fail "icon sizes are '$icons', not 16 20 24 32 40 48 64 256"

size=$(stat -c %s "$exe")
[[ -z $max_bytes || $size -le $max_bytes ]] || fail "$size bytes, more than $max_bytes"
((failures == 0)) || exit 1
echo "$(basename "$exe"): $format, GUI, Vista or later, system DLLs only, manifest, version $version, icon; $size bytes"

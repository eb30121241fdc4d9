#!/bin/sh
# Builds a Fenmark Windows Installer package with wixl, and signs it when the environment names a
# signing key (see sign.sh).
#   make-msi.sh [--machine] x64 VERSION DLL DLL32 OUTPUT    for 64-bit Windows: both DLLs
#   make-msi.sh [--machine] x86 VERSION DLL OUTPUT          for 32-bit Windows
# The package is per user (fenmark.wxs), or with --machine per machine (fenmark-machine.wxs).
# VERSION is major.minor.patch.
set -eu
usage() {
  echo "usage: make-msi.sh [--machine] x64 VERSION DLL DLL32 OUTPUT" \
    "| make-msi.sh [--machine] x86 VERSION DLL OUTPUT" >&2
  exit 2
}
scope=user
if [ "${1:-}" = --machine ]; then scope=machine; shift; fi
[ $# -ge 4 ] || usage
arch=$1 version=$2 dll=$3
here=$(cd "$(dirname "$0")" && pwd)
for tool in wixl msibuild msiinfo; do
  command -v $tool >/dev/null 2>&1 ||
    { echo "make-msi.sh: $tool is needed (Debian: apt-get install wixl msitools)" >&2; exit 2; }
done

# Component GUIDs stay fixed for each package, as Windows Installer requires.
case $scope-$arch in
  user-x64) component=A392955E-870B-4D5F-9A34-C1FF0005445C
       component32=B1F085C4-2D2D-4835-87E4-A2BB7BED62DF
       registration=D4439FBF-57CA-4219-9A39-5D981251F000 ;;
  user-x86) component=64E6821A-831A-4866-9A00-CF98F8B42B1E
       component32= registration=CEAA3A9C-9EB4-4046-89BE-1450242A4978 ;;
  machine-x64) component=FA868720-639C-4DC0-99FA-31AD9A359ADB
       component32=415DDFAE-5DD5-4E3F-A299-9AFC858F028D registration= ;;
  machine-x86) component=E59B7801-E4BD-417B-8CC7-FF4AEF29F4A8 component32= registration= ;;
esac
case $arch in
  x64) [ $# -eq 5 ] || usage
       dll32=$4 output=$5 bits=64 win64=yes ;;
  x86) [ $# -eq 4 ] || usage
       dll32= output=$4 bits=32 win64=no ;;
  *) echo "make-msi.sh: no such architecture: $arch" >&2; exit 2 ;;
esac
source=fenmark.wxs
[ $scope = user ] || source=fenmark-$scope.wxs
case $version in
  *[!0-9.]* | *.*.*.* | .* | *. | *..*) bad=1 ;;
  *.*.*) bad=0 ;;
  *) bad=1 ;;
esac
[ $bad = 0 ] || { echo "make-msi.sh: VERSION must be major.minor.patch, not $version" >&2; exit 2; }
# Windows Installer compares three fields: every version below the next patch is this one or
# older.
next=${version%.*}.$((${version##*.} + 1))

# The version and language of a DLL's version resource, as the File table wants them:
# "major.minor.build.revision language".
file_version() { # DLL
  LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$1" | head -n1 | cut -d: -f1 | {
    read -r at || { echo "make-msi.sh: $1 has no version resource" >&2; exit 1; }
    set -- $(od -An -tu2 -j $((at + 8)) -N8 "$1")
    printf '%s.%s.%s.%s' "$2" "$1" "$4" "$3"
  } || return 1
  # The Translation value's first word: after its key, "Translation" in UTF-16 and a NUL, and the
  # padding to the next four bytes.
  at=$(LC_ALL=C grep -obUaP 'T\0r\0a\0n\0s\0l\0a\0t\0i\0o\0n\0\0\0' "$1" | head -n1 | cut -d: -f1)
  [ -n "$at" ] || { echo "make-msi.sh: $1 has no Translation" >&2; return 1; }
  printf ' %s\n' $(od -An -tu2 -j $((at + 26)) -N2 "$1")
}

# A DLL's machine from its PE header (x64, x86 or what it is), so that a swapped or foreign DLL
# never reaches a package.
machine() { # DLL
  at=$(od -An -tu4 -j 60 -N4 "$1" 2>/dev/null | tr -d ' ')
  case $(od -An -tx1 -j "${at:-0}" -N6 "$1" 2>/dev/null | tr -d ' \n') in
    504500006486) echo x64 ;;
    504500004c01) echo x86 ;;
    *) echo "no Windows DLL" ;;
  esac
}
for file in "$dll" $dll32; do
  [ -r "$file" ] || { echo "make-msi.sh: cannot read $file" >&2; exit 2; }
done
[ "$(machine "$dll")" = "$arch" ] ||
  { echo "make-msi.sh: $dll is not an $arch DLL but $(machine "$dll")" >&2; exit 2; }
[ -z "$dll32" ] || [ "$(machine "$dll32")" = x86 ] ||
  { echo "make-msi.sh: $dll32 is not an x86 DLL but $(machine "$dll32")" >&2; exit 2; }

# wixl reads the file named by a relative path only, so it runs beside copies of the DLLs.
. "$(dirname "$0")/work_dir.sh"
make_work_dir
cp "$dll" "$work/Fenmark.dll"
[ -z "$dll32" ] || { mkdir "$work/x86" && cp "$dll32" "$work/x86/Fenmark.dll"; }
case $output in /*) ;; *) output=$PWD/$output ;; esac
(cd "$work" && wixl -a "$arch" -D Version="$version" -D NextVersion="$next" -D Platform="$arch" \
  -D Bits=$bits -D Win64=$win64 -D RegistrationGuid=$registration -D ComponentGuid=$component \
  -D Component32Guid=$component32 -D Dll=Fenmark.dll -D Dll32=x86/Fenmark.dll \
  -I "$here" -o package.msi "$here/$source" 2>"$work/log") ||
  { cat "$work/log" >&2; exit 1; }
# wixl only warns about what it does not know; in this package that is a mistake.
if [ -s "$work/log" ]; then cat "$work/log" >&2; exit 1; fi

# wixl leaves the File table's version and language out, so that Windows Installer would take
# the DLL for an unversioned file (which loses to any versioned one on disk), and writes a hash
# row that only unversioned files may have: mend both before signing.
for file in FenmarkDll ${dll32:+FenmarkDll32}; do
  source=$dll
  [ $file = FenmarkDll ] || source=$dll32
  set -- $(file_version "$source") || exit 1
  msibuild "$work/package.msi" \
    -q "UPDATE \`File\` SET \`Version\` = '$1', \`Language\` = '$2' WHERE \`File\` = '$file'" ||
    exit 1
  # One row at a time: msibuild's DELETE of all rows leaves every other one.
  msibuild "$work/package.msi" -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = '$file'" ||
    exit 1
done

"$here/sign.sh" "$work/package.msi"
mv "$work/package.msi" "$output"

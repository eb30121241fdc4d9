#!/bin/sh
# Builds Fenmark's per-user Windows Installer package with wixl, and signs it when the
# environment gives a certificate (see sign.sh).
#   make-msi.sh x64|x86 VERSION DLL OUTPUT
# VERSION is major.minor.patch.
set -eu
[ $# -eq 4 ] || { echo "usage: make-msi.sh x64|x86 VERSION DLL OUTPUT" >&2; exit 2; }
arch=$1 version=$2 dll=$3 output=$4
here=$(cd "$(dirname "$0")" && pwd)
command -v wixl >/dev/null 2>&1 ||
  { echo "make-msi.sh: wixl is needed (Debian: apt-get install wixl)" >&2; exit 2; }

# Component GUIDs stay fixed for each bitness, as Windows Installer requires.
case $arch in
  x64) win64=yes typelib=win64 component=A392955E-870B-4D5F-9A34-C1FF0005445C
       folder=4180DA44-912F-4D9C-B268-6A1F54CAA332 ;;
  x86) win64=no typelib=win32 component=64E6821A-831A-4866-9A00-CF98F8B42B1E
       folder=7A8931C1-EA7E-4546-BF89-5275F0FB8FFD ;;
  *) echo "make-msi.sh: no such architecture: $arch" >&2; exit 2 ;;
esac
case $version in
  *[!0-9.]* | *.*.*.* | .* | *. | *..*) bad=1 ;;
  *.*.*) bad=0 ;;
  *) bad=1 ;;
esac
[ $bad = 0 ] || { echo "make-msi.sh: VERSION must be major.minor.patch, not $version" >&2; exit 2; }
# Windows Installer compares three fields: every version below the next patch is this one or
# older.
next=${version%.*}.$((${version##*.} + 1))

# wixl reads the file named by a relative path only, so it runs beside a copy of the DLL.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$dll" "$work/Fenmark.dll"
case $output in /*) ;; *) output=$PWD/$output ;; esac
(cd "$work" && wixl -a "$arch" -D Version="$version" -D NextVersion="$next" -D Platform="$arch" \
  -D Win64=$win64 -D TypeLibKind=$typelib -D ComponentGuid=$component -D FolderGuid=$folder \
  -D Dll=Fenmark.dll -o package.msi "$here/fenmark.wxs" 2>"$work/log") ||
  { cat "$work/log" >&2; exit 1; }
# wixl only warns about what it does not know; in this package that is a mistake.
if [ -s "$work/log" ]; then cat "$work/log" >&2; exit 1; fi
"$here/sign.sh" "$work/package.msi"
mv "$work/package.msi" "$output"

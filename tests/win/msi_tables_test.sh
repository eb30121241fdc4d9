#!/bin/sh
# The tables of a Fenmark package, read with msitools' msiinfo, without installing it:
#   msi_tables_test.sh MSI x64|x86 DLL VERSION
# Per-user (no ALLUSERS), for the right platform, the DLL under the user's Programs folder,
# every registry value under HKEY_CURRENT_USER in the view of the package's bitness, and the
# upgrade rules.
set -u
[ $# -eq 4 ] || { echo "usage: msi_tables_test.sh MSI x64|x86 DLL VERSION" >&2; exit 2; }
msi=$1 arch=$2 dll=$3 version=$4
failures=0
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }
expect() { # WHAT EXPECTED ACTUAL
  [ "$2" = "$3" ] && return
  printf 'FAILED: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
  failures=$((failures + 1))
}
# The lines of standard input as one line.
joined() { tr '\n' ' ' | sed 's/ $//'; }
case $arch in
  x64) platform=x64 typelib=win64 bit64=256 ;;
  x86) platform=Intel typelib=win32 bit64=0 ;;
  *) echo "no such architecture: $arch" >&2; exit 2 ;;
esac
tab=$(printf '\t')

expect "platform" "$platform;1033" "$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')"
expect "properties" "Manufacturer=Ostrand ProductName=Fenmark ProductVersion=$version" \
  "$(table Property |
     grep -E '^(ALLUSERS|MSIINSTALLPERUSER|Manufacturer|ProductName|ProductVersion)'"$tab" |
     tr '\t' = | sort | joined)"
expect "the DLL" "FenmarkDll${tab}Fenmark${tab}Fenmark.dll${tab}$(wc -c <"$dll")" \
  "$(table File | cut -f1-4)"
expect "folders" "INSTALLDIR<ProgramsDir:Fenmark ProgramsDir<LocalAppDataFolder:Programs" \
  "$(table Directory | grep -E '^(INSTALLDIR|ProgramsDir)' |
     awk -F'\t' '{ print $1 "<" $2 ":" $3 }' | sort | joined)"
# 4: the key path is a registry value; 256: a 64-bit component.
expect "components" "Fenmark:$((bit64 + 4)) ProgramsFolder:$bit64" \
  "$(table Component | awk -F'\t' '{ print $1 ":" $4 }' | sort | joined)"
expect "registry roots (1: HKEY_CURRENT_USER)" "1" "$(table Registry | cut -f2 | sort -u | joined)"
expect "registry values" "19" "$(table Registry | wc -l)"
expect "the DLL's path in the registry" \
  "Software\\Classes\\CLSID\\{A20699AA-1334-4502-BB53-8A6FC1947D79}\\InprocServer32
Software\\Classes\\TypeLib\\{32844F0C-8788-4E43-8220-AA7BAF82F58C}\\1.0\\409\\$typelib" \
  "$(table Registry | awk -F'\t' '$5 == "[#FenmarkDll]" { print $3 }' | sort)"
# Attributes 256: the minimum included; 2: detect only. Windows Installer compares three fields, so
# everything below the next patch is this version or older.
expect "upgrades: what it replaces, what stops it" \
  "0.0.0..next patch/256:OLDERFOUND $version../2:NEWERFOUND" \
  "$(table Upgrade | awk -F'\t' -v after="${version%.*}.$((${version##*.} + 1))" '
       { print $2 ".." ($3 == after ? "next patch" : $3) "/" $5 ":" $7 }' | sort | joined)"
expect "the message for a downgrade" \
  "NOT NEWERFOUND${tab}A newer version of Fenmark is already installed. To go back to this\
 version, first remove Fenmark under Apps & Features." \
  "$(table LaunchCondition)"
expect "no self-registration" "" "$(table SelfReg 2>/dev/null)"

[ $failures = 0 ] && echo "package tables as expected: $msi"
[ $failures = 0 ]

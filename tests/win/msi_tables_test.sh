#!/bin/sh
# The tables of a Fenmark package, read with msitools' msiinfo, without installing it:
#   msi_tables_test.sh [--machine] MSI x64|x86 VERSION DLL [DLL32]
# For the right platform, named with its bitness, with its scope's upgrade code; each DLL as a
# versioned file (no hash); the x64 package's 32-bit DLL in a 32-bit component; the upgrade rules
# and Repair allowed. Per user: no ALLUSERS and no elevation, the DLLs under the user's Programs
# folder, every component keyed by a registry value under HKEY_CURRENT_USER, installs as SYSTEM
# refused with the per-machine package's name. Per machine (--machine): ALLUSERS 1 and elevation,
# the DLLs under Program Files of their bitness, keyed by their files, every registry value under
# HKEY_LOCAL_MACHINE, and Outlook's add-in key written from each DLL's component, in its view.
set -u
export LC_ALL=C
scope=user
if [ "${1:-}" = --machine ]; then scope=machine; shift; fi
[ $# -ge 4 ] ||
  { echo "usage: msi_tables_test.sh [--machine] MSI x64|x86 VERSION DLL [DLL32]" >&2; exit 2; }
msi=$1 arch=$2 version=$3 dll=$4 dll32=${5:-}
failures=0
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }
expect() { # WHAT EXPECTED ACTUAL
  [ "$2" = "$3" ] && return
  printf 'FAILED: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
  failures=$((failures + 1))
}
# The lines of standard input as one line.
joined() { tr '\n' ' ' | sed 's/ $//'; }
# The words of its arguments, sorted, as one line.
sorted() { printf '%s\n' $* | sort | joined; }
tab=$(printf '\t')
clsid='{A20699AA-1334-4502-BB53-8A6FC1947D79}'
typelib='Software\Classes\TypeLib\{32844F0C-8788-4E43-8220-AA7BAF82F58C}\1.0\409'
case $arch in
  x64) platform=x64 bits=64
       [ -n "$dll32" ] || { echo "the x64 package needs DLL32" >&2; exit 2; } ;;
  x86) platform=Intel bits=32 ;;
  *) echo "no such architecture: $arch" >&2; exit 2 ;;
esac
# Components, COMPONENT:ATTRIBUTES (4: the key path is a registry value; 256: a 64-bit one), and
# those that write Outlook's add-in key; the summary's word count (8: no elevation).
refusal="Fenmark installs for one user at a time and this installation runs as the SYSTEM\
 account, whose profile Outlook never uses. For every user of this computer, install the\
 per-machine package, Fenmark-$version-$arch-machine.msi; for one user, install this package as\
 that user (in a deployment tool: the user context)."
case $scope-$arch in
  user-x64) components="Fenmark:260 Fenmark32:4 Registration:260" values=30 ;;
  user-x86) components="Fenmark:4 Registration:4" values=19 ;;
  machine-x64) components="Fenmark:256 Fenmark32:0" values=33 ;;
  machine-x86) components="Fenmark:0" values=19 ;;
esac
if [ $scope = user ]; then
  name="Fenmark ($bits-bit Windows)" upgrade_code={1D04E216-C0D9-4451-8042-2EB089163073}
  root=1 root_name=HKCU word_count=10 addin_components=Registration
  folders="INSTALLDIR<ProgramsDir:Fenmark ProgramsDir<LocalAppDataFolder:Programs\
${dll32:+ X86DIR<INSTALLDIR:x86}"
  removed="$(sorted Fenmark:INSTALLDIR Registration:ProgramsDir ${dll32:+Fenmark32:X86DIR})"
  newer="A newer version of Fenmark is already installed. To go back to this version, first\
 remove Fenmark under Apps & Features."
  conditions="NOT NEWERFOUND$tab$newer
UserSID <> \"S-1-5-18\"$tab$refusal"
else
  name="Fenmark ($bits-bit Windows, all users)" upgrade_code={302C8DFD-E398-4D3C-B52C-4C5D8E03DC94}
  root=2 root_name=HKLM word_count=2 addin_components="Fenmark ${dll32:+Fenmark32}"
  folders="INSTALLDIR<ProgramFilesFolder:Fenmark"
  [ -z "$dll32" ] ||
    folders="INSTALLDIR<ProgramFiles64Folder:Fenmark X86DIR<ProgramFilesFolder:Fenmark"
  removed=
  conditions="NOT NEWERFOUND${tab}A newer version of Fenmark for all users is already installed.\
 To go back to this version, first remove it under Apps & Features."
fi

expect "platform" "$platform;1033" "$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')"
expect "properties: the scope, Repair allowed" \
  "$([ $scope = user ] || printf 'ALLUSERS=1 ')ARPNOMODIFY=1 Manufacturer=Ostrand ProductName=$name\
 ProductVersion=$version UpgradeCode=$upgrade_code" \
  "$(table Property | grep -E \
       '^(ALLUSERS|MSIINSTALLPERUSER|ARPNO[A-Z]*|Manufacturer|Product(Name|Version)|UpgradeCode)'"$tab" |
     tr '\t' = | sort | joined)"
# Windows asks for elevation unless the word count says it needs none.
expect "elevation (word count)" "$word_count" \
  "$(msiinfo suminfo "$msi" | sed -n 's/^Source: \([0-9]*\) .*/\1/p')"
# Windows Installer keeps an installed file whose version is at least the package's, and decides
# by hash only for unversioned files.
row() { printf '%s\t%s\t%s\t%s\t%s.0\t1033' "$1" "$2" Fenmark.dll "$(wc -c <"$3")" "$version"; }
expect "the DLLs: size, version, language" \
  "$(row FenmarkDll Fenmark "$dll")${dll32:+
$(row FenmarkDll32 Fenmark32 "$dll32")}" "$(table File | cut -f1-6 | sort)"
expect "no file hashes" "" "$(table MsiFileHash)"
expect "folders" "$folders" \
  "$(table Directory | grep -E '^(INSTALLDIR|ProgramsDir|X86DIR)' |
     awk -F'\t' '{ print $1 "<" $2 ":" $3 }' | sort | joined)"
expect "folders removed on uninstall" "$removed" \
  "$(table RemoveFile | awk -F'\t' '{ print $2 ":" $4 }' | sort | joined)"
expect "components" "$(sorted $components)" \
  "$(table Component | awk -F'\t' '{ print $1 ":" $4 }' | sort | joined)"
# Each component's key path: per user a registry value of its own under HKEY_CURRENT_USER (ICE38),
# per machine its own DLL.
registry=$(table Registry)
files=$(table File)
expect "key paths" \
  "$(for c in $components; do
       c=${c%:*}
       [ $scope = user ] && echo "$c:HKCU" || echo "$c:FenmarkDll${c#Fenmark}"
     done | sort | joined)" \
  "$(table Component | cut -f1,6 | while IFS="$tab" read -r component key; do
       printf '%s\n%s\n' "$registry" "$files" | awk -F'\t' -v c="$component" -v k="$key" '
         NF == 6 && $1 == k && $6 == c { print c ":" ($2 == 1 ? "HKCU" : "root " $2); found = 1 }
         NF == 8 && $1 == k && $2 == c { print c ":" k; found = 1 }
         END { if (!found) print c ":no registry value or file of its own" }'
     done | sort | joined)"
expect "registry roots (1: HKEY_CURRENT_USER, 2: HKEY_LOCAL_MACHINE)" "$root" \
  "$(table Registry | cut -f2 | sort -u | joined)"
# Outlook's add-in key in each view that the package serves.
expect "the add-in key" \
  "$(for c in $addin_components; do
       printf '%s %s\n' "$c" 'Description=Copy mail item to task FriendlyName=Ostrand LoadBehavior=#3'
     done | sort)" \
  "$(table Registry | awk -F'\t' '$3 == "Software\\Microsoft\\Office\\Outlook\\Addins\\Fenmark.Connect" {
       print $6 "\t" $4 "=" $5 }' | sort | awk -F'\t' '
       $1 != c { if (c != "") print c " " v; c = $1; v = $2; next } { v = v " " $2 }
       END { if (c != "") print c " " v }')"
expect "registry values" "$values" "$(table Registry | wc -l)"
# The class in each view from its own component, the type library's entry of each bitness.
expect "the DLLs' paths in the registry" \
  "$({ printf 'Fenmark Software\\Classes\\CLSID\\%s\\InprocServer32 [#FenmarkDll]\n' "$clsid"
     [ -z "$dll32" ] ||
       printf 'Fenmark32 Software\\Classes\\CLSID\\%s\\InprocServer32 [#FenmarkDll32]\n' "$clsid"
     [ -z "$dll32" ] || printf 'Fenmark32 %s\\win32 [#FenmarkDll32]\n' "$typelib"
     printf 'Fenmark %s\\win%s [#FenmarkDll]\n' "$typelib" "$bits"; } | sort)" \
  "$(table Registry | awk -F'\t' '$5 ~ /^\[#/ { print $6 " " $3 " " $5 }' | sort)"
# Attributes 256: the minimum included; 2: detect only. Windows Installer compares three fields, so
# everything below the next patch is this version or older.
expect "upgrades: what it replaces, what stops it" \
  "$upgrade_code 0.0.0..next patch/256:OLDERFOUND $upgrade_code $version../2:NEWERFOUND" \
  "$(table Upgrade | awk -F'\t' -v after="${version%.*}.$((${version##*.} + 1))" '
       { print $1 " " $2 ".." ($3 == after ? "next patch" : $3) "/" $5 ":" $7 }' | sort | joined)"
expect "launch conditions: no downgrade; per user, not as SYSTEM" "$conditions" \
  "$(table LaunchCondition | sort)"
expect "no self-registration" "" "$(table SelfReg 2>/dev/null)"

[ $failures = 0 ] && echo "package tables as expected: $msi"
[ $failures = 0 ]

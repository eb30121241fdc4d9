#!/bin/sh
# The tables of a Fenmark package, read with msitools' msiinfo, without installing it:
#   msi_tables_test.sh MSI x64|x86 VERSION DLL [DLL32]
# Per-user (no ALLUSERS), for the right platform, named with its bitness; each DLL under the
# user's Programs folder as a versioned file (no hash); every component keyed by a registry value
# under HKEY_CURRENT_USER; the x64 package's 32-bit DLL in a 32-bit component; the upgrade rules,
# Repair allowed, and installs as SYSTEM refused.
set -u
export LC_ALL=C
[ $# -ge 4 ] || { echo "usage: msi_tables_test.sh MSI x64|x86 VERSION DLL [DLL32]" >&2; exit 2; }
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
# 4: the key path is a registry value; 256: a 64-bit component.
case $arch in
  x64) platform=x64 bits=64 components="Fenmark:260 Fenmark32:4 Registration:260" values=30
       [ -n "$dll32" ] || { echo "the x64 package needs DLL32" >&2; exit 2; } ;;
  x86) platform=Intel bits=32 components="Fenmark:4 Registration:4" values=19 ;;
  *) echo "no such architecture: $arch" >&2; exit 2 ;;
esac

expect "platform" "$platform;1033" "$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')"
expect "properties: per user, Repair allowed" \
  "ARPNOMODIFY=1 Manufacturer=Ostrand ProductName=Fenmark ($bits-bit Windows)\
 ProductVersion=$version" \
  "$(table Property |
     grep -E '^(ALLUSERS|MSIINSTALLPERUSER|ARPNO[A-Z]*|Manufacturer|Product(Name|Version))'"$tab" |
     tr '\t' = | sort | joined)"
# Windows Installer keeps an installed file whose version is at least the package's, and decides
# by hash only for unversioned files.
row() { printf '%s\t%s\t%s\t%s\t%s.0\t1033' "$1" "$2" Fenmark.dll "$(wc -c <"$3")" "$version"; }
expect "the DLLs: size, version, language" \
  "$(row FenmarkDll Fenmark "$dll")${dll32:+
$(row FenmarkDll32 Fenmark32 "$dll32")}" "$(table File | cut -f1-6 | sort)"
expect "no file hashes" "" "$(table MsiFileHash)"
expect "folders" \
  "INSTALLDIR<ProgramsDir:Fenmark ProgramsDir<LocalAppDataFolder:Programs\
${dll32:+ X86DIR<INSTALLDIR:x86}" \
  "$(table Directory | grep -E '^(INSTALLDIR|ProgramsDir|X86DIR)' |
     awk -F'\t' '{ print $1 "<" $2 ":" $3 }' | sort | joined)"
expect "folders removed on uninstall" \
  "$(sorted Fenmark:INSTALLDIR Registration:ProgramsDir ${dll32:+Fenmark32:X86DIR})" \
  "$(table RemoveFile | awk -F'\t' '{ print $2 ":" $4 }' | sort | joined)"
expect "components" "$(sorted $components)" \
  "$(table Component | awk -F'\t' '{ print $1 ":" $4 }' | sort | joined)"
# Each component's key path: a registry value of its own under HKEY_CURRENT_USER (ICE38).
registry=$(table Registry)
expect "key paths" \
  "$(for c in $components; do printf '%s:HKCU\n' "${c%:*}"; done | sort | joined)" \
  "$(table Component | cut -f1,6 | while IFS="$tab" read -r component key; do
       printf '%s\n' "$registry" | awk -F'\t' -v c="$component" -v k="$key" '
         $1 == k && $6 == c { print c ":" ($2 == 1 ? "HKCU" : "root " $2); found = 1 }
         END { if (!found) print c ":no registry value of its own" }'
     done | sort | joined)"
expect "registry roots (1: HKEY_CURRENT_USER)" "1" "$(table Registry | cut -f2 | sort -u | joined)"
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
  "0.0.0..next patch/256:OLDERFOUND $version../2:NEWERFOUND" \
  "$(table Upgrade | awk -F'\t' -v after="${version%.*}.$((${version##*.} + 1))" '
       { print $2 ".." ($3 == after ? "next patch" : $3) "/" $5 ":" $7 }' | sort | joined)"
expect "launch conditions: no downgrade, not as SYSTEM" \
  "NOT NEWERFOUND${tab}A newer version of Fenmark is already installed. To go back to this\
 version, first remove Fenmark under Apps & Features.
UserSID <> \"S-1-5-18\"${tab}Fenmark installs for one user at a time and this installation runs\
 as the SYSTEM account, whose profile Outlook never uses. Install it as the user who runs Outlook\
 (in a deployment tool: the user context)." \
  "$(table LaunchCondition | sort)"
expect "no self-registration" "" "$(table SelfReg 2>/dev/null)"

[ $failures = 0 ] && echo "package tables as expected: $msi"
[ $failures = 0 ]

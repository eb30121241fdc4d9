#!/bin/sh
# The installer under Wine, in a prefix of its own:
#   install_test.sh WINE_RUN SETUP PARITY_HOST TRANSCRIPT MAKE_MSI ARCH MSI DLL
# 1. In a new prefix as Wine makes it: installs MSI with msiexec /i /qn and compares the
#    registry with what regsvr32 writes for DLL (paths aside; the type library where Windows
#    writes it, under the user's classes, where Wine writes it machine-wide); nothing of the
#    add-in under HKEY_LOCAL_MACHINE; the entry in Apps & Features; uninstalls with msiexec /x /qn
#    and finds the profile and registry as before.
# 2. With the prefix set up by SETUP (the user's classes shown as Windows shows them): installs
#    again, and PARITY_HOST creates the installed add-in by ProgID, connects it and plays the
#    scenarios; a package of the next version replaces it in place; the older package refuses to
#    replace the newer one; uninstalling leaves nothing.
# FENMARK_WINE_DIR names the folder of the prefix.
set -u
[ $# -eq 8 ] || {
  echo "usage: install_test.sh WINE_RUN SETUP PARITY_HOST TRANSCRIPT MAKE_MSI ARCH MSI DLL" >&2
  exit 2
}
wine_run=$1 setup=$2 host=$3 transcript=$4 make_msi=$5 arch=$6 msi=$7 dll=$8
view=64
[ "$arch" = x86 ] && view=32
: "${FENMARK_WINE_DIR:?}"

clsid='{A20699AA-1334-4502-BB53-8A6FC1947D79}'
libid='{32844F0C-8788-4E43-8220-AA7BAF82F58C}'
iid='{6E167E5A-68C0-476E-9FDC-9AAF6C5C78CE}'
classes='Software\Classes'
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
run() { "$wine_run" "$@" </dev/null; }
# reg reads its own bitness's view unless told: the add-in's keys are read in the 64-bit one,
# where Wine keeps them for both bitnesses; Apps & Features lists a package in its own.
query() { # KEY [32|64]
  out=$(run reg query "$1" /s /reg:"${2:-64}" 2>/dev/null) &&
    printf '%s\n' "$out" | tr -d '\r' | sed '/^$/d'
}
exists() { # KEY, in either view
  run reg query "$1" /reg:64 >/dev/null 2>&1 || run reg query "$1" /reg:32 >/dev/null 2>&1
}

# Every key and value of the add-in's registration, one line each with its key, in a stable
# order; the type library's root and the DLL's folder written the same way whichever made them.
registration() { # ROOT_OF_TYPE_LIBRARY [DLL_FOLDER]
  { query "HKCU\\$classes\\CLSID\\$clsid"
    query "HKCU\\$classes\\Fenmark.Connect"
    query "$1\\$classes\\TypeLib\\$libid"
    query "$1\\$classes\\Interface\\$iid"
    query 'HKCU\Software\Microsoft\Office'
  } | sed -e 's|^HKEY_LOCAL_MACHINE\\|HKEY_CURRENT_USER\\|' \
          -e "s|$(printf '%s' "${2:-<no folder>}" | sed 's/[\\.]/\\&/g')|<folder>|g" |
    awk '/^HKEY_/ { key = $0; print; next } { print key " |" $0 }' | sort
}
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
# Every file and folder of the users' profiles but the scenarios' temporary folder, which the
# parity host makes where the simulated Outlook has it (C:\Users\Avery\...).
profile() { (cd "$prefix/drive_c/users" && find . -path ./Avery -prune -o -print | sort); }
left_in_profile() {
  profile | diff "$work/profile.before" - >"$work/profile.diff" ||
    fail "the profile changed: $(grep '^[<>]' "$work/profile.diff" | tr '\n' ' ')"
}
product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
apps_entry() { # PRODUCT_CODE VALUE
  query "$uninstall\\$1" "$view" | sed -n "s/^ *$2 *REG_SZ *//p"
}
fenmark_entries() { query "$uninstall" "$view" | grep -c 'DisplayName *REG_SZ *Fenmark$'; }

prefix=$FENMARK_WINE_DIR/prefix
run --fresh || { echo "FAILED: no Wine prefix"; exit 1; }
version=$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p')
code=$(product_code "$msi")
profile >"$work/profile.before"
user=$(ls "$prefix/drive_c/users" | grep -v '^Public$' | head -n1)
installed_folder='C:\users\'"$user"'\AppData\Local\Programs\Fenmark'
installed_file=$prefix/drive_c/users/$user/AppData/Local/Programs/Fenmark/Fenmark.dll

echo "== $arch package $version, as Wine makes a prefix"
run msiexec /i "$(winpath "$msi")" /qn || fail "msiexec /i $msi"
cmp -s "$dll" "$installed_file" || fail "the DLL is not installed as $installed_file"
registration HKCU "$installed_folder" >"$work/installed"
for key in "HKLM\\$classes\\CLSID\\$clsid" "HKLM\\$classes\\Fenmark.Connect" \
           "HKLM\\$classes\\TypeLib\\$libid" "HKLM\\$classes\\Interface\\$iid" \
           'HKLM\Software\Microsoft\Office'; do
  exists "$key" && fail "installed under HKEY_LOCAL_MACHINE: $key"
done
[ "$(apps_entry "$code" DisplayName)" = Fenmark ] || fail "Apps & Features: no entry named Fenmark"
[ "$(apps_entry "$code" Publisher)" = Ostrand ] || fail "Apps & Features: publisher"
[ "$(apps_entry "$code" DisplayVersion)" = "$version" ] || fail "Apps & Features: version"
run msiexec /x "$(winpath "$msi")" /qn || fail "msiexec /x $msi"
[ -z "$(registration HKCU)" ] || fail "uninstalling left registry keys"
[ -z "$(apps_entry "$code" DisplayName)" ] || fail "uninstalling left the entry in Apps & Features"
left_in_profile

# What regsvr32 writes, for comparison.
dll_folder=$(cd "$(dirname "$dll")" && pwd)
run regsvr32 /s "$dll" || fail "regsvr32 $dll"
registration HKLM "$(winpath "$dll_folder")" >"$work/regsvr32"
run regsvr32 /u /s "$dll" || fail "regsvr32 /u $dll"
[ -s "$work/regsvr32" ] || fail "regsvr32 wrote nothing"
diff -u "$work/regsvr32" "$work/installed" ||
  fail "the package's registry differs from regsvr32's (above)"

echo "== $arch package $version, created by ProgID and connected"
run "$setup" || fail "prefix set-up"
run msiexec /i "$(winpath "$msi")" /qn || fail "msiexec /i $msi"
run "$host" --installed scenarios "$transcript" >"$work/host" ||
  { cat "$work/host"; fail "the installed add-in"; }

echo "== upgrade to the next version"
next=${version%.*}.$((${version##*.} + 1))
mkdir "$work/next"
# A DLL that differs from the installed one, to see which one is there afterwards.
{ cat "$dll"; printf 'next'; } >"$work/next/Fenmark.dll"
"$make_msi" "$arch" "$next" "$work/next/Fenmark.dll" "$work/next/Fenmark-$next-$arch.msi" ||
  fail "building the $next package"
run msiexec /i "$(winpath "$work/next/Fenmark-$next-$arch.msi")" /qn || fail "msiexec /i (upgrade)"
[ "$(fenmark_entries)" = 1 ] || fail "Apps & Features: $(fenmark_entries) entries after the upgrade"
next_code=$(product_code "$work/next/Fenmark-$next-$arch.msi")
[ "$(apps_entry "$next_code" DisplayVersion)" = "$next" ] ||
  fail "Apps & Features: not $next after the upgrade"
cmp -s "$work/next/Fenmark.dll" "$installed_file" || fail "the upgrade did not replace the DLL"
run "$host" --installed bench --smoke >"$work/host" ||
  { cat "$work/host"; fail "the upgraded add-in"; }
grep -q "installed add-in: .*Programs.Fenmark.Fenmark.dll" "$work/host" ||
  fail "the upgraded add-in is not the installed one"

echo "== the older package keeps the newer one"
run msiexec /i "$(winpath "$msi")" /qn && fail "the older package replaced the newer one"
[ "$(apps_entry "$next_code" DisplayVersion)" = "$next" ] ||
  fail "the older package changed Apps & Features"
cmp -s "$work/next/Fenmark.dll" "$installed_file" || fail "the older package replaced the DLL"
msiinfo export "$msi" LaunchCondition | grep -q 'A newer version of Fenmark is already installed' ||
  fail "no message for a downgrade"

echo "== uninstall"
run msiexec /x "$(winpath "$work/next/Fenmark-$next-$arch.msi")" /qn || fail "msiexec /x (upgrade)"
[ -z "$(registration HKCU)" ] || fail "uninstalling left registry keys: $(registration HKCU)"
[ "$(fenmark_entries)" = 0 ] || fail "uninstalling left an entry in Apps & Features"
left_in_profile

[ $failures = 0 ] && echo "install test passed" || echo "$failures failed"
[ $failures = 0 ]

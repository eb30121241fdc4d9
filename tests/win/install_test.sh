#!/bin/sh
# The installer under Wine, in a prefix of its own:
#   install_test.sh WINE_RUN SETUP PARITY_HOST TRANSCRIPT MAKE_MSI ARCH MSI DLL [DLL32]
# 1. In a new prefix as Wine makes it: installs MSI with msiexec /i /qn: the DLLs in the user's
#    Programs folder, nothing of the add-in under HKEY_LOCAL_MACHINE, the entry in Apps & Features;
#    uninstalls with msiexec /x /qn and finds the profile and registry as before.
# 2. With the prefix set up by SETUP (the user's classes shown as Windows shows them, and so the
#    32-bit view of them as Windows keeps it): installs again and compares the registry with what
#    regsvr32 writes for DLL (paths aside; the type library where Windows writes it, under the
#    user's classes, where Wine writes it machine-wide); the x64 package's 32-bit view holds the
#    same class and interface for DLL32. Clients: PARITY_HOST creates the installed add-in by
#    ProgID, connects it and plays the scenarios; Wine's script host of each bitness creates it
#    and calls it (tests/win/install_client.vbs), and the x86 package serves no 64-bit one. Then:
#    Repair restores the add-in key Outlook turned off and a deleted DLL; a package of the next
#    version replaces it in place; the older package refuses to replace the newer one;
#    uninstalling leaves nothing; an install as SYSTEM is refused.
# FENMARK_WINE_DIR names the folder of the prefix.
set -u
[ $# -ge 8 ] || {
  echo "usage: install_test.sh WINE_RUN SETUP PARITY_HOST TRANSCRIPT MAKE_MSI ARCH MSI DLL" \
    "[DLL32]" >&2
  exit 2
}
wine_run=$1 setup=$2 host=$3 transcript=$4 make_msi=$5 arch=$6 msi=$7 dll=$8 dll32=${9:-}
[ "$arch" = x64 ] && [ -z "$dll32" ] && { echo "the x64 package needs DLL32" >&2; exit 2; }
. "$(dirname "$0")/install_lib.sh"

# The class and interface as COM of a bitness reads them (32 or 64); ROOT of the 64-bit interface.
classes_in() { # VIEW ROOT
  if [ "$1" = 32 ]; then
    { query "HKCR\\CLSID\\$clsid" 32; query "HKCR\\Interface\\$iid" 32; } |
      sed 's|^HKEY_CLASSES_ROOT\\|HKEY_CURRENT_USER\\Software\\Classes\\|'
  else
    query "HKCU\\$classes\\CLSID\\$clsid"
    query "$2\\$classes\\Interface\\$iid"
  fi
}
view32() { classes_in 32 | flat; }
# Every key and value of the add-in's registration, one line each with its key, in a stable
# order: the class and interface in the view given (64 unless told), the type library's root and
# the DLL's folder written the same way whichever made them.
registration() { # ROOT_OF_TYPE_LIBRARY [DLL_FOLDER [VIEW]]
  { classes_in "${3:-64}" "$1"
    query "HKCU\\$classes\\Fenmark.Connect"
    query "$1\\$classes\\TypeLib\\$libid"
    query 'HKCU\Software\Microsoft\Office'
  } | sed -e 's|^HKEY_LOCAL_MACHINE\\|HKEY_CURRENT_USER\\|' \
          -e "s|$(escaped "${2:-<no folder>}")|<folder>|g" | flat
}
# Every file and folder of the users' profiles but the scenarios' temporary folder, which the
# parity host makes where the simulated Outlook has it (C:\Users\Avery\...).
profile() { (cd "$prefix/drive_c/users" && find . -path ./Avery -prune -o -print | sort); }
left_in_profile() {
  profile | diff "$work/profile.before" - >"$work/profile.diff" ||
    fail "the profile changed: $(grep '^[<>]' "$work/profile.diff" | tr '\n' ' ')"
}
left_behind() {
  [ -z "$(registration HKCU)" ] || fail "$1 left registry keys: $(registration HKCU)"
  [ -z "$(view32)" ] || fail "$1 left the 32-bit view's keys: $(view32)"
  [ "$(fenmark_entries)" = 0 ] || fail "$1 left an entry in Apps & Features"
  left_in_profile
}

run --fresh || { echo "FAILED: no Wine prefix"; exit 1; }
version=$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p')
code=$(product_code "$msi")
profile >"$work/profile.before"
user=$(ls "$prefix/drive_c/users" | grep -v '^Public$' | head -n1)
installed_folder='C:\users\'"$user"'\AppData\Local\Programs\Fenmark'
installed=$prefix/drive_c/users/$user/AppData/Local/Programs/Fenmark
installed_dlls() { # DLL [DLL32]
  cmp -s "$1" "$installed/Fenmark.dll" || fail "the DLL is not installed as $installed/Fenmark.dll"
  [ -z "${2:-}" ] || cmp -s "$2" "$installed/x86/Fenmark.dll" ||
    fail "the 32-bit DLL is not installed as $installed/x86/Fenmark.dll"
}

echo "== $arch package $version, as Wine makes a prefix"
run msiexec /i "$(winpath "$msi")" /qn /l*v "$(winpath "$work/install.log")" ||
  fail "msiexec /i $msi"
# The user's SID, as the package sees it.
sid=$(tr -d '\0\r' <"$work/install.log" | sed -n 's/^Property(S): UserSID = //p' | head -n1)
installed_dlls "$dll" "$dll32"
for key in "HKLM\\$classes\\CLSID\\$clsid" "HKLM\\$classes\\Fenmark.Connect" \
           "HKLM\\$classes\\TypeLib\\$libid" "HKLM\\$classes\\Interface\\$iid" \
           'HKLM\Software\Microsoft\Office'; do
  exists "$key" && fail "installed under HKEY_LOCAL_MACHINE: $key"
done
[ "$(apps_entry "$code" DisplayName)" = "Fenmark ($view-bit Windows)" ] ||
  fail "Apps & Features: not named \"Fenmark ($view-bit Windows)\""
[ "$(apps_entry "$code" Publisher)" = Ostrand ] || fail "Apps & Features: publisher"
[ "$(apps_entry "$code" DisplayVersion)" = "$version" ] || fail "Apps & Features: version"
run msiexec /x "$(winpath "$msi")" /qn || fail "msiexec /x $msi"
[ -z "$(apps_entry "$code" DisplayName)" ] || fail "uninstalling left the entry in Apps & Features"
left_behind "uninstalling"

echo "== $arch package $version, set up as Windows shows the user's classes"
run "$setup" || fail "prefix set-up"
# What regsvr32 writes, for comparison.
dll_folder=$(cd "$(dirname "$dll")" && pwd)
run regsvr32 /s "$dll" || fail "regsvr32 $dll"
registration HKLM "$(winpath "$dll_folder")" >"$work/regsvr32"
run regsvr32 /u /s "$dll" || fail "regsvr32 /u $dll"
[ -s "$work/regsvr32" ] || fail "regsvr32 wrote nothing"
run msiexec /i "$(winpath "$msi")" /qn || fail "msiexec /i $msi"
# A 32-bit component writes the class and interface into the 32-bit view, as on Windows; Wine's
# 32-bit regsvr32 leaves them in the 64-bit one.
registration HKCU "$installed_folder" "$view" >"$work/installed"
if [ -n "$dll32" ]; then
  # The type library's entry of the other bitness is the one line the 32-bit DLL adds.
  grep -v '\\409\\win32' "$work/installed" >"$work/installed.64"
  grep -q '\\409\\win32 | *(Default) *REG_SZ *<folder>\\x86\\Fenmark\.dll$' "$work/installed" ||
    fail "no 32-bit entry of the type library"
  mv "$work/installed.64" "$work/installed"
  # The 32-bit view: the 64-bit view's class and interface, with the 32-bit DLL.
  grep -E "^HKEY_CURRENT_USER.Software.Classes.(CLSID|Interface)" "$work/installed" |
    sed "s|<folder>|<folder>\\\\x86|" >"$work/expected32"
  view32 | sed "s|$(escaped "$installed_folder")|<folder>|g" | diff -u "$work/expected32" - ||
    fail "the 32-bit view differs from the 64-bit view's keys (above)"
fi
diff -u "$work/regsvr32" "$work/installed" ||
  fail "the package's registry differs from regsvr32's (above)"
run "$host" --installed scenarios "$transcript" >"$work/host" ||
  { cat "$work/host"; fail "the installed add-in"; }
served "installed"

echo "== repair after Outlook turned the add-in off and the DLL went missing"
addin='HKCU\Software\Microsoft\Office\Outlook\Addins\Fenmark.Connect'
run reg add "$addin" /v LoadBehavior /t REG_DWORD /d 2 /f /reg:64 >/dev/null || fail "reg add"
rm -f "$installed/Fenmark.dll" "$installed/x86/Fenmark.dll"
# As Apps & Features repairs (Wine's msiexec /f fails where REINSTALL works).
run msiexec /i "$(winpath "$msi")" REINSTALL=ALL REINSTALLMODE=omus /qn || fail "Repair of $msi"
query "$addin" | grep -q 'LoadBehavior *REG_DWORD *0x3$' ||
  fail "Repair did not restore LoadBehavior"
installed_dlls "$dll" "$dll32"
[ "$(fenmark_entries)" = 1 ] || fail "Apps & Features: $(fenmark_entries) entries after Repair"
served "repaired"

echo "== upgrade to the next version"
next=${version%.*}.$((${version##*.} + 1))
mkdir "$work/next"
# DLLs that differ from the installed ones, to see which ones are there afterwards.
{ cat "$dll"; printf 'next'; } >"$work/next/Fenmark.dll"
next_msi=$work/next/Fenmark-$next-$arch.msi
if [ -n "$dll32" ]; then
  { cat "$dll32"; printf 'next'; } >"$work/next/Fenmark32.dll"
  "$make_msi" "$arch" "$next" "$work/next/Fenmark.dll" "$work/next/Fenmark32.dll" "$next_msi"
else
  "$make_msi" "$arch" "$next" "$work/next/Fenmark.dll" "$next_msi"
fi || fail "building the $next package"
run msiexec /i "$(winpath "$next_msi")" /qn || fail "msiexec /i (upgrade)"
[ "$(fenmark_entries)" = 1 ] || fail "Apps & Features: $(fenmark_entries) entries after the upgrade"
next_code=$(product_code "$next_msi")
[ "$(apps_entry "$next_code" DisplayVersion)" = "$next" ] ||
  fail "Apps & Features: not $next after the upgrade"
installed_dlls "$work/next/Fenmark.dll" ${dll32:+"$work/next/Fenmark32.dll"}
run "$host" --installed bench --smoke >"$work/host" ||
  { cat "$work/host"; fail "the upgraded add-in"; }
grep -q "installed add-in: .*Programs.Fenmark.Fenmark.dll" "$work/host" ||
  fail "the upgraded add-in is not the installed one"
served "upgraded"

echo "== the older package keeps the newer one"
run msiexec /i "$(winpath "$msi")" /qn && fail "the older package replaced the newer one"
[ "$(apps_entry "$next_code" DisplayVersion)" = "$next" ] ||
  fail "the older package changed Apps & Features"
cmp -s "$work/next/Fenmark.dll" "$installed/Fenmark.dll" ||
  fail "the older package replaced the DLL"

echo "== uninstall"
run msiexec /x "$(winpath "$next_msi")" /qn || fail "msiexec /x (upgrade)"
left_behind "uninstalling"

echo "== as SYSTEM"
# Wine installs as its one user and will not take UserSID from the command line: the same
# condition, pointed at that user's SID, stands in for SYSTEM's.
cp "$msi" "$work/system.msi"
refusal=$(msiinfo export "$msi" LaunchCondition | tr -d '\r' |
  sed -n 's/^UserSID <> "S-1-5-18"\t//p')
# A table's key cannot be updated: the row goes and comes back with the other SID.
msibuild "$work/system.msi" \
  -q "DELETE FROM \`LaunchCondition\` WHERE \`Condition\` = 'UserSID <> \"S-1-5-18\"'" \
  -q "INSERT INTO \`LaunchCondition\` (\`Condition\`, \`Description\`)
      VALUES ('UserSID <> \"$sid\"', '$refusal')" || fail "msibuild"
run msiexec /i "$(winpath "$work/system.msi")" /qn /l*v "$(winpath "$work/system.log")" &&
  fail "installed although UserSID is the one the package refuses"
[ -n "$sid" ] || fail "no UserSID in the install's log"
# Wine logs no launch condition's message (package.tables checks its text): the step that stopped.
tr -d '\0' <"$work/system.log" 2>/dev/null | grep -q 'LaunchConditions. Return value [^1]' ||
  fail "the install as SYSTEM was not stopped by its launch condition"
left_behind "the refused install"

[ $failures = 0 ] && echo "install test passed" || echo "$failures failed"
[ $failures = 0 ]

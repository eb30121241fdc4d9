#!/bin/sh
# The per-machine installer under Wine, as an administrator deploys it, in a prefix of its own
# that starts as Wine makes it (Wine runs every program as an administrator):
#   machine_install_test.sh WINE_RUN MAKE_MSI ARCH MACHINE_MSI USER_MSI README DLL [DLL32]
# Every msiexec command is the README's, run beside the packages; the README must show each.
# 1. Installs MACHINE_MSI silently: the DLLs under Program Files of their bitness, the class, type
#    library, interface and Outlook's add-in key (LoadBehavior 3) under HKEY_LOCAL_MACHINE in
#    each registry view the package serves, HKEY_CURRENT_USER as it was; Wine's script hosts of
#    each bitness create "Fenmark.Connect" and call it (the x86 package serves no 64-bit one).
#    Installed again, nothing changes. Repair restores deleted DLLs and the add-in's LoadBehavior.
# 2. With USER_MSI installed too: both packages listed, each one's files and keys as they were,
#    the clients served; removing the per-user package leaves the per-machine one as it was and
#    serving. A per-machine package of the next version replaces this one in place and leaves a
#    per-user install alone. Removing the per-machine package (by its product code) leaves the
#    per-user one's files and keys exactly as they were. Wine 8 never reads a user's own classes
#    (tests/win/install_test.sh sets a prefix up for that), so here the clients are served by the
#    machine's registration; the per-user package's own clients are install_test.sh's.
# 3. Both removed: every file and key as before the first install.
set -u
[ $# -ge 7 ] || {
  echo "usage: machine_install_test.sh WINE_RUN MAKE_MSI ARCH MACHINE_MSI USER_MSI README DLL" \
    "[DLL32]" >&2
  exit 2
}
wine_run=$1 make_msi=$2 arch=$3 msi=$4 user_msi=$5 readme=$6 dll=$7 dll32=${8:-}
[ "$arch" = x64 ] && [ -z "$dll32" ] && { echo "the x64 package needs DLL32" >&2; exit 2; }
. "$(dirname "$0")/install_lib.sh"

# An msiexec command as the README writes it (for the x64 packages, the x86 ones' the same), run
# in the packages' folder.
msiexec_as_documented() { # ARGUMENTS...
  documented=$(printf 'msiexec %s' "$*" | sed 's/-x86\(-machine\)\{0,1\}\.msi/-x64\1.msi/')
  grep -qF "$documented" "$readme" || fail "the README does not show: $documented"
  (cd "$(dirname "$msi")" && run msiexec "$@")
}
package=$(basename "$msi") user_package=$(basename "$user_msi")

# Where each bitness's DLL goes: 32-bit programs' Program Files on 64-bit Windows.
folder64='C:\Program Files\Fenmark' folder32='C:\Program Files (x86)\Fenmark'
drive=$prefix/drive_c
installed_dlls() { # DLL [DLL32]
  if [ "$arch" = x64 ]; then set -- "$drive/Program Files/Fenmark" "$1" "${2:-}"
  else set -- "$drive/Program Files (x86)/Fenmark" "$1" ""; fi
  cmp -s "$2" "$1/Fenmark.dll" || fail "the DLL is not installed as $1/Fenmark.dll"
  [ -z "$3" ] || cmp -s "$3" "$drive/Program Files (x86)/Fenmark/Fenmark.dll" ||
    fail "the 32-bit DLL is not installed in Program Files (x86)"
}

# The class, interface and add-in key as a program of VIEW's bitness reads them, and what both
# views share, one line each with its key, blanks squeezed.
machine_keys() { # VIEW
  { query "HKLM\\$classes\\CLSID\\$clsid" "$1"
    query "HKLM\\$classes\\Interface\\$iid" "$1"
    query 'HKLM\Software\Microsoft\Office\Outlook\Addins' "$1"
  } | flat | tr -s ' '
}
shared_keys() {
  { query "HKLM\\$classes\\Fenmark.Connect"; query "HKLM\\$classes\\TypeLib\\$libid"; } |
    flat | tr -s ' '
}
# What the package writes where a view's DLL is FOLDER\Fenmark.dll.
expected_keys() { # FOLDER
  class="HKEY_LOCAL_MACHINE\\$classes\\CLSID\\$clsid"
  interface="HKEY_LOCAL_MACHINE\\$classes\\Interface\\$iid"
  addins='HKEY_LOCAL_MACHINE\Software\Microsoft\Office\Outlook\Addins'
  printf '%s\n' "$class" "$class | (Default) REG_SZ Connect" "$class\\InprocServer32" \
    "$class\\InprocServer32 | (Default) REG_SZ $1\\Fenmark.dll" \
    "$class\\InprocServer32 | ThreadingModel REG_SZ Apartment" "$class\\ProgID" \
    "$class\\ProgID | (Default) REG_SZ Fenmark.Connect" "$class\\TypeLib" \
    "$class\\TypeLib | (Default) REG_SZ $libid" "$interface" \
    "$interface | (Default) REG_SZ _Connect" "$interface\\ProxyStubClsid" \
    "$interface\\ProxyStubClsid | (Default) REG_SZ {00020424-0000-0000-C000-000000000046}" \
    "$interface\\ProxyStubClsid32" \
    "$interface\\ProxyStubClsid32 | (Default) REG_SZ {00020424-0000-0000-C000-000000000046}" \
    "$interface\\TypeLib" "$interface\\TypeLib | (Default) REG_SZ $libid" \
    "$interface\\TypeLib | Version REG_SZ 1.0" "$addins\\Fenmark.Connect" \
    "$addins\\Fenmark.Connect | Description REG_SZ Copy mail item to task" \
    "$addins\\Fenmark.Connect | FriendlyName REG_SZ Ostrand" \
    "$addins\\Fenmark.Connect | LoadBehavior REG_DWORD 0x3" | sort
}
expected_shared() {
  progid="HKEY_LOCAL_MACHINE\\$classes\\Fenmark.Connect"
  typelib="HKEY_LOCAL_MACHINE\\$classes\\TypeLib\\$libid"
  if [ "$arch" = x64 ]; then help=$folder64; else help=$folder32; fi
  { printf '%s\n' "$progid" "$progid | (Default) REG_SZ Connect" "$progid\\CLSID" \
      "$progid\\CLSID | (Default) REG_SZ $clsid" "$typelib\\1.0" \
      "$typelib\\1.0 | (Default) REG_SZ Outlook Add-in Send to Ostrand" "$typelib\\1.0\\409" \
      "$typelib\\1.0\\FLAGS" "$typelib\\1.0\\FLAGS | (Default) REG_SZ 8" "$typelib\\1.0\\HELPDIR" \
      "$typelib\\1.0\\HELPDIR | (Default) REG_SZ $help" "$typelib\\1.0\\409\\win32" \
      "$typelib\\1.0\\409\\win32 | (Default) REG_SZ $folder32\\Fenmark.dll"
    [ "$arch" = x86 ] || printf '%s\n' "$typelib\\1.0\\409\\win64" \
      "$typelib\\1.0\\409\\win64 | (Default) REG_SZ $folder64\\Fenmark.dll"
  } | sort
}
# The whole machine registration, in both views, against what the package writes.
registered() { # WHEN
  if [ "$arch" = x64 ]; then expected_keys "$folder64"; fi >"$work/expected.64"
  expected_keys "$folder32" >"$work/expected.32"
  for v in 64 32; do
    machine_keys $v | diff -u "$work/expected.$v" - >"$work/diff" ||
      fail "$1: the $v-bit view: $(cat "$work/diff")"
  done
  expected_shared >"$work/expected.shared"
  shared_keys | diff -u "$work/expected.shared" - >"$work/diff" ||
    fail "$1: the ProgID and the type library: $(cat "$work/diff")"
}
# The whole of a key or of the drive, to compare with a later state: Windows Installer's own
# record of packages (Installer folders and keys, empty once they are removed) and the network
# cards Wine lists when it finds them aside. (Wine keeps its devices' state under
# HKEY_LOCAL_MACHINE\System.)
hive() { # ROOT
  run reg export "$1" "$(winpath "$work/export.reg")" /y >/dev/null &&
    iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r' | grep -v '^$' |
    awk '/^\[/ { key = $0; print; next } { print key " " $0 }' |
    grep -v -e '^\[HKEY_[A-Z_]*\\Software\\\(Classes\\\)\?\(Microsoft\\\)\?Installer[]\\]' \
      -e '^\[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards'
}
drive_files() { (cd "$drive" && find . -path ./windows/Installer -prune -o -print | sort); }
unchanged() { # WHAT SAVED ACTUAL
  printf '%s\n' "$3" | diff -u "$work/$2" - >"$work/diff" ||
    fail "$1: $(grep '^[-+][^-+]' "$work/diff" | head -n 20)"
}
version=$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p')
code=$(product_code "$msi") user_code=$(product_code "$user_msi")

run --fresh || { echo "FAILED: no Wine prefix"; exit 1; }
# Wine's script hosts register their own classes when they first run: before the first state.
script_client 32 >/dev/null
script_client 64 >/dev/null
hive 'HKLM\Software' >"$work/hklm.before"
hive HKCU >"$work/hkcu.before"
drive_files >"$work/files.before"

echo "== $arch per-machine package $version, installed silently"
msiexec_as_documented /i "$package" /qn /norestart || fail "msiexec /i $package"
installed_dlls "$dll" "$dll32"
registered "installed"
unchanged "HKEY_CURRENT_USER changed" hkcu.before "$(hive HKCU)"
[ "$(apps_entry "$code" DisplayName)" = "Fenmark ($view-bit Windows, all users)" ] ||
  fail "Apps & Features: not named \"Fenmark ($view-bit Windows, all users)\""
[ "$(apps_entry "$code" DisplayVersion)" = "$version" ] || fail "Apps & Features: version"
served "installed"
# A deployment tool runs the same command again at will.
msiexec_as_documented /i "$package" /qn /norestart || fail "msiexec /i $package, again"
registered "installed again"
[ "$(fenmark_entries)" = 1 ] || fail "Apps & Features: $(fenmark_entries) entries"

echo "== repair after the DLLs went missing and the add-in was turned off for all"
rm -f "$drive/Program Files/Fenmark/Fenmark.dll" "$drive/Program Files (x86)/Fenmark/Fenmark.dll"
run reg add 'HKLM\Software\Microsoft\Office\Outlook\Addins\Fenmark.Connect' /v LoadBehavior \
  /t REG_DWORD /d 2 /f /reg:"$view" >/dev/null || fail "reg add"
msiexec_as_documented /i "$package" REINSTALL=ALL REINSTALLMODE=omus /qn /norestart ||
  fail "Repair of $package"
installed_dlls "$dll" "$dll32"
registered "repaired"
served "repaired"

echo "== with the per-user package too"
msiexec_as_documented /i "$user_package" /qn /norestart || fail "msiexec /i $user_package"
[ "$(apps_entry "$user_code" DisplayName)" = "Fenmark ($view-bit Windows)" ] &&
  [ "$(fenmark_entries)" = 2 ] || fail "Apps & Features: not both packages listed"
registered "with the per-user package"
installed_dlls "$dll" "$dll32"
served "with the per-user package"
hive HKCU >"$work/hkcu.user"
user_files() { (cd "$drive/users" && find . -path '*Programs/Fenmark*' -exec cksum {} + | sort); }
user_files >"$work/user.files"
[ -s "$work/user.files" ] || fail "the per-user package installed no file"
msiexec_as_documented /x "$user_package" /qn /norestart || fail "msiexec /x $user_package"
registered "the per-user package removed"
installed_dlls "$dll" "$dll32"
served "the per-user package removed"
unchanged "the per-user package left in HKEY_CURRENT_USER" hkcu.before "$(hive HKCU)"

echo "== the next version for all users, the per-user package installed again"
msiexec_as_documented /i "$user_package" /qn /norestart || fail "msiexec /i $user_package"
next=${version%.*}.$((${version##*.} + 1))
mkdir "$work/next"
# DLLs that differ from the installed ones, to see which ones are there afterwards.
{ cat "$dll"; printf 'next'; } >"$work/next/Fenmark.dll"
[ -z "$dll32" ] || { cat "$dll32"; printf 'next'; } >"$work/next/Fenmark32.dll"
next_msi=$work/next/Fenmark-$next-$arch-machine.msi
"$make_msi" --machine "$arch" "$next" "$work/next/Fenmark.dll" \
  ${dll32:+"$work/next/Fenmark32.dll"} "$next_msi" || fail "building the $next package"
run msiexec /i "$(winpath "$next_msi")" /qn /norestart || fail "msiexec /i (upgrade)"
next_code=$(product_code "$next_msi")
[ "$(apps_entry "$next_code" DisplayVersion)" = "$next" ] && [ "$(fenmark_entries)" = 2 ] ||
  fail "Apps & Features after the upgrade: $(fenmark_entries) entries, not $next and the per-user one"
installed_dlls "$work/next/Fenmark.dll" ${dll32:+"$work/next/Fenmark32.dll"}
unchanged "the upgrade changed the per-user install" user.files "$(user_files)"
served "upgraded"

echo "== the per-machine package removed by its product code"
grep -qF 'msiexec /x {product code} /qn /norestart' "$readme" ||
  fail "the README does not show: msiexec /x {product code} /qn /norestart"
run msiexec /x "$next_code" /qn /norestart || fail "msiexec /x $next_code"
unchanged "removing the per-machine package changed the per-user one's keys" hkcu.user \
  "$(hive HKCU)"
unchanged "removing the per-machine package changed the per-user one's files" user.files \
  "$(user_files)"
[ -z "$(machine_keys 64)$(machine_keys 32)" ] ||
  fail "the per-machine package left keys: $(machine_keys 64) $(machine_keys 32)"
[ "$(fenmark_entries)" = 1 ] || fail "Apps & Features: $(fenmark_entries) entries, not 1"

echo "== both removed"
msiexec_as_documented /x "$user_package" /qn /norestart || fail "msiexec /x $user_package"
unchanged "HKEY_LOCAL_MACHINE\\Software is not as before" hklm.before \
  "$(hive 'HKLM\Software')"
unchanged "HKEY_CURRENT_USER is not as before" hkcu.before "$(hive HKCU)"
unchanged "files left" files.before "$(drive_files)"

[ $failures = 0 ] && echo "per-machine install test passed" || echo "$failures failed"
[ $failures = 0 ]

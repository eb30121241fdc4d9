#!/bin/sh
# Checks built Fenmark.dll files: exactly the four COM server exports, undecorated, imports of
# Windows' own DLLs only, no use of the scripting runtime (hardened machines unregister it), and,
# as they ship, no symbols and under 600 KB.
#   check-binaries.sh DLL...
# OBJDUMP may name the objdump to use (any mingw-w64 objdump reads both bitnesses).
set -u
objdump=${OBJDUMP:-}
if [ -z "$objdump" ]; then
  for candidate in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump objdump; do
    if command -v "$candidate" >/dev/null 2>&1; then objdump=$candidate; break; fi
  done
fi
[ $# -ge 1 ] || { echo "usage: check-binaries.sh DLL..." >&2; exit 2; }

allowed="ADVAPI32.dll KERNEL32.dll msvcrt.dll ole32.dll OLEAUT32.dll USER32.dll"
expected_exports="DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer"
status=0
for dll in "$@"; do
  if ! dump=$("$objdump" -p "$dll" 2>&1); then
    echo "FAIL $dll: cannot read: $dump"; status=1; continue
  fi
  imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')
  exports=$(printf '%s\n' "$dump" |
    sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort | tr '\n' ' ')
  ok=1
  for name in $imports; do
    case " $allowed " in *" $name "*) ;; *) echo "FAIL $dll imports $name"; ok=0 ;; esac
  done
  if [ "$(echo $exports)" != "$expected_exports" ]; then
    echo "FAIL $dll exports: $exports (expected $expected_exports)"; ok=0
  fi
  # Its texts are UTF-16: without the NULs between the characters they read as ASCII.
  if tr -d '\000' <"$dll" | grep -q -a -i -F 'Scripting.FileSystemObject'; then
    echo "FAIL $dll names the scripting runtime's file object"; ok=0
  fi
  printf '%s\n' "$dump" | grep -q 'symbols stripped' || { echo "FAIL $dll carries symbols"; ok=0; }
  size=$(wc -c <"$dll")
  [ "$size" -lt 600000 ] || { echo "FAIL $dll is $size bytes, 600 KB or more"; ok=0; }
  if [ $ok = 1 ]; then
    echo "ok   $dll"
    echo "     exports: $exports"
    echo "     imports: $imports"
    echo "     size: $size bytes, stripped"
  else
    status=1
  fi
done
exit $status

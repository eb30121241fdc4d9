#!/bin/sh
# The DLL as Windows' own script hosts call it, a client nobody here wrote:
#   script_client_test.sh WINE_RUN ARCH DLL SCRIPT...
# Registers DLL with regsvr32, runs each script (VBScript or JScript) in the cscript of the DLL's
# bitness (x86: the 32-bit one, which reads the 32-bit view of the classes; x64: the 64-bit one,
# started through the wine64 loader), and unregisters. A script writes "ok: ..." or "FAILED: ..."
# a line and "end" to the file it is given; it passes when it reached "end" and failed nothing.
# FENMARK_WINE_DIR names the folder of the prefix.
set -u
[ $# -ge 4 ] || { echo "usage: script_client_test.sh WINE_RUN ARCH DLL SCRIPT..." >&2; exit 2; }
wine_run=$1 arch=$2 dll=$3
shift 3

work=$(mktemp -d)
trap '"$wine_run" regsvr32 /u /s "$dll" </dev/null; rm -rf "$work"' EXIT
if [ "$arch" = x64 ]; then
  # Debian's wine starts the 32-bit cscript, which cannot create a 64-bit class.
  mkdir "$work/bin"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$work/bin/wine"
  chmod +x "$work/bin/wine"
  PATH=$work/bin:$PATH
fi
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

"$wine_run" regsvr32 /s "$dll" </dev/null || { echo "FAILED: regsvr32 $dll"; exit 1; }
failures=0
for script in "$@"; do
  name=$(basename "$script")
  result=$work/$name.txt
  "$wine_run" cscript //nologo "$(winpath "$script")" "$(winpath "$result")" </dev/null
  rc=$?
  echo "== $name ($arch), cscript exit $rc"
  [ -f "$result" ] && tr -d '\r' <"$result"
  if [ $rc != 0 ] || ! tr -d '\r' <"$result" | grep -qx end || grep -q '^FAILED' "$result"; then
    echo "FAILED: $name"
    failures=$((failures + 1))
  fi
done
[ $failures = 0 ]

# What the installers' tests under Wine share; sourced by them, after they set wine_run
# (cmake/wine-run) and arch (the package's, x64 or x86), with FENMARK_WINE_DIR naming the folder
# of the prefix. Gives work (a scratch folder, removed at exit), failures and fail, and the
# helpers below.
: "${FENMARK_WINE_DIR:?}"
client=$(cd "$(dirname "$0")" && pwd)/install_client.vbs
prefix=$FENMARK_WINE_DIR/prefix
view=64
[ "$arch" = x86 ] && view=32

clsid='{A20699AA-1334-4502-BB53-8A6FC1947D79}'
libid='{32844F0C-8788-4E43-8220-AA7BAF82F58C}'
iid='{6E167E5A-68C0-476E-9FDC-9AAF6C5C78CE}'
classes='Software\Classes'
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { printf 'FAILED: %s\n' "$*"; failures=$((failures + 1)); }
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
# A key's lines, one a line with its key, in a stable order.
flat() { awk '/^HKEY_/ { key = $0; print; next } { print key " |" $0 }' | sort; }
escaped() { printf '%s' "$1" | sed 's/[\\.]/\\&/g'; }
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
apps_entry() { # PRODUCT_CODE VALUE
  query "$uninstall\\$1" "$view" | sed -n "s/^ *$2 *REG_SZ *//p"
}
fenmark_entries() { query "$uninstall" "$view" | grep -c 'DisplayName *REG_SZ *Fenmark'; }

# A script client of the installed add-in: Wine's script host of BITS (32 or 64).
script_client() { # BITS
  rm -f "$work/client.txt"
  if [ "$1" = 32 ]; then
    run cscript //nologo "$(winpath "$client")" "$(winpath "$work/client.txt")"
  else
    # Debian's wine starts the 32-bit script host; a 32-bit program reaches the 64-bit one.
    run cmd /c 'C:\windows\sysnative\cscript.exe' //nologo "$(winpath "$client")" \
      "$(winpath "$work/client.txt")"
  fi
  tr -d '\r' <"$work/client.txt" 2>/dev/null
}
# Both bitnesses for an x64 package, the 32-bit one alone for an x86 one; the ribbon's markup
# read from the DLL's resources as long in every client and every state.
ribbon_chars=
served() { # WHEN
  for bits in 32 64; do
    case $bits in 32) process=x86 ;; 64) process=AMD64 ;; esac
    actual=$(script_client $bits)
    if [ $bits = 64 ] && [ "$arch" = x86 ]; then
      expected="process: AMD64
CreateObject(\"Fenmark.Connect\"): error 1AD"
    else
      chars=$(printf '%s\n' "$actual" |
        sed -n 's/^LoadXML("RIBBONXML"): \([1-9][0-9]*\) characters$/\1/p')
      : "${ribbon_chars:=$chars}"
      expected="process: $process
CleanFileName: RE Budget 2024  Q3
LoadXML(\"RIBBONXML\"): ${ribbon_chars:-<more than 0>} characters"
    fi
    [ "$actual" = "$expected" ] ||
      fail "$1: the $bits-bit script client: $(printf '%s' "$actual" | tr '\n' '/')"
  done
}

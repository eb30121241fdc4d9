#!/bin/sh
# cmake/wine-run against a stand-in Wine whose start.exe fails as a real one sometimes does:
#   wine_run_test.sh WINE_RUN
# A program whose process died before it ran is started again, and only the try that ran is
# heard; a program that ran and failed, or that Wine could not find, is run once.
set -u
wine_run=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

mkdir "$work/bin"
printf '#!/bin/sh\nexit 1\n' >"$work/bin/wineserver"
# wine PROGRAM: "died-N" dies in start-up N times, then runs; "missing" is not found; "fails"
# runs and exits with 3. Each start is counted in $work/starts.
cat >"$work/bin/wine" <<'WINE'
#!/bin/sh
case $1 in wineboot|cmd|*setup.exe) exit 0 ;; esac
echo "$1" >>"$STARTS"
start_failure() {
  printf 'Application could not be started, or no application associated with the specified file.\r\n'
  printf 'ShellExecuteEx failed: %s.\r\n' "$1"
  exit 1
}
case $1 in
  died-*) [ "$(grep -c "^$1\$" "$STARTS")" -gt "${1#died-}" ] || start_failure 'Internal error' ;;
  missing) start_failure 'File not found' ;;
  fails) echo "ran and failed"; echo "wine's chatter" >&2; exit 3 ;;
esac
echo "ran $1"
WINE
chmod +x "$work/bin/wine" "$work/bin/wineserver"
export PATH="$work/bin:$PATH" FENMARK_WINE_DIR="$work/wine" STARTS="$work/starts"

# What Wine's start.exe prints when it cannot start a program, as the caller reads it.
refused() { # WHY
  printf '%s\r\nShellExecuteEx failed: %s.\r' \
    'Application could not be started, or no application associated with the specified file.' "$1"
}
try() { # PROGRAM EXPECTED_RC EXPECTED_STARTS EXPECTED_OUTPUT
  : >"$work/starts"
  out=$("$wine_run" "$1" 2>"$work/err")
  rc=$?
  [ $rc = "$2" ] || fail "$1: exit $rc, not $2"
  [ "$(wc -l <"$work/starts")" = "$3" ] || fail "$1: started $(wc -l <"$work/starts") times, not $3"
  [ "$out" = "$4" ] || fail "$1: printed \"$out\""
}
try died-1 0 2 "ran died-1"
try died-2 0 3 "ran died-2"
grep -q 'trying again' "$work/err" || fail "a second try is not said on standard error"
try died-3 1 3 "$(refused 'Internal error')"
try missing 1 1 "$(refused 'File not found')"
try fails 3 1 "ran and failed"
grep -q "wine's chatter" "$work/err" || fail "a failed program's Wine output is not shown"
try runs 0 1 "ran runs"

[ $failures = 0 ] && echo "wine-run test passed"
[ $failures = 0 ]

#!/bin/sh
# Signs Windows binaries and packages in place with osslsigncode when the environment names a
# code-signing certificate: FENMARK_SIGN_CERT (a PKCS#12 file) and FENMARK_SIGN_PASSWORD (its
# password). Without a certificate it leaves them unsigned.
#   sign.sh FILE...
set -eu
[ -n "${FENMARK_SIGN_CERT:-}" ] || exit 0
command -v osslsigncode >/dev/null 2>&1 ||
  { echo "sign.sh: osslsigncode is needed (Debian: apt-get install osslsigncode)" >&2; exit 2; }
[ -r "$FENMARK_SIGN_CERT" ] || { echo "sign.sh: cannot read $FENMARK_SIGN_CERT" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The password goes through a file, not the command line that other users can see.
(umask 077 && printf '%s' "${FENMARK_SIGN_PASSWORD:-}" >"$work/password")
for file in "$@"; do
  osslsigncode sign -pkcs12 "$FENMARK_SIGN_CERT" -readpass "$work/password" -h sha256 \
    -n "Fenmark" -in "$file" -out "$work/signed" >"$work/log" 2>&1 ||
    { cat "$work/log" >&2; exit 1; }
  cat "$work/signed" >"$file"
done

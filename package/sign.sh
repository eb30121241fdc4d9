#!/bin/sh
# Signs Windows binaries and packages in place with osslsigncode when the environment names a
# code-signing certificate; without one it leaves them unsigned.
#   FENMARK_SIGN_CERT           the certificate: a PKCS#12 file holding the key as well, or, with
#                               a key on a token, the token key's certificate (PEM or DER)
#   FENMARK_SIGN_PASSWORD       the PKCS#12 file's password, or the token's PIN (may be empty)
#   FENMARK_SIGN_PKCS11_MODULE  the token's PKCS#11 module (a .so), for a key on a token
#   FENMARK_SIGN_KEY            the key on the token: its PKCS#11 URI or id
#   FENMARK_SIGN_TIMESTAMP      an RFC 3161 time-stamp server's URL: the signature then stays
#                               valid after the certificate expires
#   sign.sh FILE...
set -eu
[ -n "${FENMARK_SIGN_CERT:-}" ] || exit 0
fail() { echo "sign.sh: $*" >&2; exit 2; }
command -v osslsigncode >/dev/null 2>&1 ||
  fail "osslsigncode is needed (Debian: apt-get install osslsigncode)"
[ -r "$FENMARK_SIGN_CERT" ] || fail "cannot read FENMARK_SIGN_CERT, $FENMARK_SIGN_CERT"
# An unset password is a forgotten one; an empty one is said so.
[ -n "${FENMARK_SIGN_PASSWORD+set}" ] ||
  fail "FENMARK_SIGN_PASSWORD is not set: the password of $FENMARK_SIGN_CERT or the token's PIN" \
    "(set it empty if there is none)"
if [ -n "${FENMARK_SIGN_PKCS11_MODULE:-}" ]; then
  [ -r "$FENMARK_SIGN_PKCS11_MODULE" ] ||
    fail "cannot read FENMARK_SIGN_PKCS11_MODULE, $FENMARK_SIGN_PKCS11_MODULE"
  [ -n "${FENMARK_SIGN_KEY:-}" ] ||
    fail "FENMARK_SIGN_KEY is not set: the key on the token (its PKCS#11 URI or id)"
elif [ -n "${FENMARK_SIGN_KEY:-}" ]; then
  fail "FENMARK_SIGN_KEY is set without FENMARK_SIGN_PKCS11_MODULE, the token's module"
fi
# The secrets' folder goes when the script ends, however it ends: a signal ends it through exit.
. "$(dirname "$0")/work_dir.sh"
make_work_dir
# The password goes through a file, not the command line that other users can see.
(umask 077 && printf '%s' "$FENMARK_SIGN_PASSWORD" >"$work/password")
sign() { # FILE
  if [ -n "${FENMARK_SIGN_PKCS11_MODULE:-}" ]; then
    set -- -pkcs11module "$FENMARK_SIGN_PKCS11_MODULE" -certs "$FENMARK_SIGN_CERT" \
      -key "$FENMARK_SIGN_KEY" -in "$1"
  else
    set -- -pkcs12 "$FENMARK_SIGN_CERT" -in "$1"
  fi
  [ -z "${FENMARK_SIGN_TIMESTAMP:-}" ] || set -- "$@" -ts "$FENMARK_SIGN_TIMESTAMP"
  osslsigncode sign "$@" -readpass "$work/password" -h sha256 -n Fenmark -out "$work/signed"
}
for file in "$@"; do
  sign "$file" >"$work/log" 2>&1 || { cat "$work/log" >&2; exit 1; }
  cat "$work/signed" >"$file"
  rm -f "$work/signed"
done

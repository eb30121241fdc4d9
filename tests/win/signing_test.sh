#!/bin/sh
# A signed build, with a throwaway certificate made here: the DLL signed as the build signs it
# (package/sign.sh) and a package made by make-msi.sh around it, both verified by osslsigncode
# against that certificate and refused against another; the signed DLL still passes the
# export/import check.
#   signing_test.sh PACKAGE_DIR CHECK_BINARIES x64|x86 DLL VERSION
set -u
[ $# -eq 5 ] ||
  { echo "usage: signing_test.sh PACKAGE_DIR CHECK_BINARIES x64|x86 DLL VERSION" >&2; exit 2; }
package=$1 check_binaries=$2 arch=$3 dll=$4 version=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

certificate() { # NAME
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$1" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/$1.key" -out "$work/$1.pem" 2>/dev/null
}
certificate signer && certificate stranger ||
  { echo "FAILED: openssl cannot make a certificate"; exit 1; }
openssl pkcs12 -export -inkey "$work/signer.key" -in "$work/signer.pem" -out "$work/signer.pfx" \
  -passout pass:'not a secret' || { echo "FAILED: openssl pkcs12"; exit 1; }
export FENMARK_SIGN_CERT="$work/signer.pfx" FENMARK_SIGN_PASSWORD='not a secret'

cp "$dll" "$work/Fenmark.dll"
"$package/sign.sh" "$work/Fenmark.dll" || fail "signing the DLL"
"$package/make-msi.sh" "$arch" "$version" "$work/Fenmark.dll" "$work/Fenmark.msi" ||
  fail "making the signed package"
for file in "$work/Fenmark.dll" "$work/Fenmark.msi"; do
  osslsigncode verify -CAfile "$work/signer.pem" -in "$file" >"$work/log" 2>&1 ||
    { cat "$work/log"; fail "$(basename "$file") does not verify"; }
  osslsigncode verify -CAfile "$work/stranger.pem" -in "$file" >/dev/null 2>&1 &&
    fail "$(basename "$file") verifies against a certificate that did not sign it"
done
"$check_binaries" "$work/Fenmark.dll" >"$work/log" || { cat "$work/log"; fail "the signed DLL"; }

# No certificate, no signature.
unset FENMARK_SIGN_CERT
cp "$dll" "$work/unsigned.dll"
"$package/sign.sh" "$work/unsigned.dll" && cmp -s "$dll" "$work/unsigned.dll" ||
  fail "signed without a certificate"

[ $failures = 0 ] && echo "signed and verified: the DLL and the package"
[ $failures = 0 ]

#!/bin/sh
# A signed build, with throwaway certificates made here: the DLL signed as the build signs it
# (package/sign.sh) and the packages, per user and per machine, made by make-msi.sh around it, each
# verified by osslsigncode against that certificate and refused against another, each with a
# timestamp from a local RFC 3161 responder (openssl ts behind a small HTTP server) that the
# signing asked; the signed DLL still passes the export/import check. A key on a token: sign.sh
# hands osslsigncode the PKCS#11 module, the key's id, the certificate and the PIN (a stand-in
# osslsigncode takes the token's place). A missing password or key id is reported by name;
# make-msi.sh refuses a DLL of the wrong bitness. Interrupted by INT, TERM or HUP, sign.sh leaves
# no file behind.
#   signing_test.sh PACKAGE_DIR CHECK_BINARIES x64|x86 DLL VERSION [DLL32]
set -u
[ $# -ge 5 ] || {
  echo "usage: signing_test.sh PACKAGE_DIR CHECK_BINARIES x64|x86 DLL VERSION [DLL32]" >&2
  exit 2
}
package=$1 check_binaries=$2 arch=$3 dll=$4 version=$5 dll32=${6:-}
work=$(mktemp -d)
responder=
trap '[ -z "$responder" ] || kill "$responder"; rm -rf "$work"' EXIT
# Killed, the test still stops its time-stamp server.
trap 'exit 1' HUP INT PIPE TERM
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

certificate() { # NAME USAGE
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$1" \
    -addext extendedKeyUsage="$2" -keyout "$work/$1.key" -out "$work/$1.pem" 2>/dev/null
}
certificate signer codeSigning && certificate stranger codeSigning &&
  certificate timestamper critical,timeStamping ||
  { echo "FAILED: openssl cannot make a certificate"; exit 1; }
openssl pkcs12 -export -inkey "$work/signer.key" -in "$work/signer.pem" -out "$work/signer.pfx" \
  -passout pass:'not a secret' || { echo "FAILED: openssl pkcs12"; exit 1; }

# The time-stamp server: each query answered by openssl ts, and counted.
echo 01 >"$work/serial"
cat >"$work/tsa.cnf" <<END
[ tsa ]
default_tsa = responder
[ responder ]
serial = $work/serial
crypto_device = builtin
signer_cert = $work/timestamper.pem
signer_key = $work/timestamper.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
accuracy = secs:1
ess_cert_id_alg = sha256
END
cat >"$work/responder.py" <<'END'
import http.server, subprocess, sys
work = sys.argv[1]
class Responder(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        with open(work + '/query.tsq', 'wb') as f:
            f.write(self.rfile.read(int(self.headers['Content-Length'])))
        with open(work + '/queries', 'a') as f:
            f.write(self.headers.get('Content-Type', '') + '\n')
        made = subprocess.run(['openssl', 'ts', '-reply', '-config', work + '/tsa.cnf',
                               '-queryfile', work + '/query.tsq', '-out', work + '/reply.tsr'],
                              capture_output=True).returncode == 0
        reply = open(work + '/reply.tsr', 'rb').read() if made else b''
        self.send_response(200 if made else 500)
        self.send_header('Content-Type', 'application/timestamp-reply')
        self.send_header('Content-Length', str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)
    def log_message(self, *args): pass
server = http.server.HTTPServer(('127.0.0.1', 0), Responder)
with open(work + '/port.new', 'w') as f: f.write(str(server.server_port))
import os; os.rename(work + '/port.new', work + '/port')
server.serve_forever()
END
python3 "$work/responder.py" "$work" </dev/null >/dev/null 2>&1 &
responder=$!
for i in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
[ -s "$work/port" ] || { echo "FAILED: no time-stamp server"; exit 1; }

export FENMARK_SIGN_CERT="$work/signer.pfx" FENMARK_SIGN_PASSWORD='not a secret'
export FENMARK_SIGN_TIMESTAMP="http://127.0.0.1:$(cat "$work/port")"
cp "$dll" "$work/Fenmark.dll"
"$package/sign.sh" "$work/Fenmark.dll" || fail "signing the DLL"
"$package/make-msi.sh" "$arch" "$version" "$work/Fenmark.dll" $dll32 "$work/Fenmark.msi" ||
  fail "making the signed package"
"$package/make-msi.sh" --machine "$arch" "$version" "$work/Fenmark.dll" $dll32 \
  "$work/Fenmark-machine.msi" || fail "making the signed per-machine package"
for file in "$work/Fenmark.dll" "$work/Fenmark.msi" "$work/Fenmark-machine.msi"; do
  osslsigncode verify -CAfile "$work/signer.pem" -TSA-CAfile "$work/timestamper.pem" \
    -in "$file" >"$work/log" 2>&1 ||
    { cat "$work/log"; fail "$(basename "$file") does not verify"; }
  grep -q '^Timestamp Server Signature verification: ok' "$work/log" &&
    grep -q 'Issuer: /CN=timestamper' "$work/log" ||
    { cat "$work/log"; fail "$(basename "$file"): no timestamp from the server"; }
  osslsigncode verify -CAfile "$work/stranger.pem" -TSA-CAfile "$work/timestamper.pem" \
    -in "$file" >/dev/null 2>&1 &&
    fail "$(basename "$file") verifies against a certificate that did not sign it"
done
[ "$(sort -u "$work/queries" 2>/dev/null)" = application/timestamp-query ] &&
  [ "$(wc -l <"$work/queries")" = 3 ] ||
  fail "the server was not asked once for each file: $(cat "$work/queries")"
"$check_binaries" "$work/Fenmark.dll" >"$work/log" || { cat "$work/log"; fail "the signed DLL"; }

# A DLL of the other bitness, or none, never reaches a package.
if [ -n "$dll32" ]; then set -- x64 "$version" "$dll32" "$dll"; else set -- x86 "$version" "$0"; fi
"$package/make-msi.sh" "$@" "$work/wrong.msi" 2>"$work/log" && fail "a package around a wrong DLL"
grep -q "is not an $1 DLL" "$work/log" && [ ! -e "$work/wrong.msi" ] ||
  fail "no message for a wrong DLL: $(cat "$work/log")"

# Without a time-stamp server, no timestamp.
unset FENMARK_SIGN_TIMESTAMP
cp "$dll" "$work/untimed.dll"
"$package/sign.sh" "$work/untimed.dll" || fail "signing without a timestamp"
osslsigncode verify -CAfile "$work/signer.pem" -in "$work/untimed.dll" 2>&1 |
  grep -q 'Timestamp time' && fail "a timestamp without a server"

# A forgotten password or key id, said by name, and nothing signed.
cp "$dll" "$work/unsigned.dll"
(unset FENMARK_SIGN_PASSWORD && "$package/sign.sh" "$work/unsigned.dll") 2>"$work/log" &&
  fail "signed without a password"
grep -q 'FENMARK_SIGN_PASSWORD is not set' "$work/log" || fail "no name for the missing password"
(export FENMARK_SIGN_PKCS11_MODULE="$work/signer.key" && unset FENMARK_SIGN_KEY &&
  "$package/sign.sh" "$work/unsigned.dll") 2>"$work/log" && fail "signed without a key id"
grep -q 'FENMARK_SIGN_KEY is not set' "$work/log" || fail "no name for the missing key id"
cmp -s "$dll" "$work/unsigned.dll" || fail "a refused signing changed the DLL"

# A key on a token: a stand-in osslsigncode records what the token would be asked, then signs
# with the key it stands for.
mkdir "$work/token"
real=$(command -v osslsigncode)
cat >"$work/token/osslsigncode" <<END
#!/bin/sh
args=
while [ \$# -gt 0 ]; do
  case \$1 in
    -pkcs11module) echo "module \$2" >>"$work/token.log"; shift 2 ;;
    -key) echo "key \$2" >>"$work/token.log"; args="\$args -key $work/signer.key"; shift 2 ;;
    -certs) echo "certificate \$2" >>"$work/token.log"; args="\$args -certs \$2"; shift 2 ;;
    -readpass) echo "PIN \$(cat "\$2")" >>"$work/token.log"; shift 2 ;;
    *) args="\$args \$1"; shift ;;
  esac
done
exec "$real" \$args
END
chmod +x "$work/token/osslsigncode"
touch "$work/token.so"
cp "$dll" "$work/token.dll"
PATH="$work/token:$PATH" FENMARK_SIGN_CERT="$work/signer.pem" FENMARK_SIGN_PASSWORD=1234 \
  FENMARK_SIGN_PKCS11_MODULE="$work/token.so" FENMARK_SIGN_KEY='pkcs11:id=%01' \
  "$package/sign.sh" "$work/token.dll" || fail "signing with a token"
[ "$(sort "$work/token.log" 2>/dev/null | tr '\n' '/')" = \
  "PIN 1234/certificate $work/signer.pem/key pkcs11:id=%01/module $work/token.so/" ] ||
  fail "the token was asked: $(tr '\n' '/' <"$work/token.log")"
osslsigncode verify -CAfile "$work/signer.pem" -in "$work/token.dll" >/dev/null 2>&1 ||
  fail "the token's signature does not verify"

# Interrupted while it signs, as a terminal's Ctrl-C, a closed session or a stopped build
# interrupts it: the script and its signer get the signal, and the password's file goes, with
# every other file of the script's. A stand-in osslsigncode says where the password is, then waits.
mkdir "$work/slow" "$work/tmp"
cat >"$work/slow/osslsigncode" <<END
#!/bin/sh
while [ \$# -gt 0 ]; do
  [ "\$1" = -readpass ] && echo "\$2" >"$work/slow.new" && mv "$work/slow.new" "$work/slow.log"
  shift
done
exec sleep 60
END
chmod +x "$work/slow/osslsigncode"
for signal in INT TERM HUP; do
  rm -f "$work/slow.log"
  cp "$dll" "$work/interrupted.dll"
  # In a process group of its own, with the signal's default action, which a job started in the
  # background by a script does not have for INT.
  PATH="$work/slow:$PATH" TMPDIR="$work/tmp" python3 -c '
import os, signal, sys
signal.signal(signal.SIGINT, signal.SIG_DFL)
os.setpgrp()
os.execv(sys.argv[1], sys.argv[1:])' "$package/sign.sh" "$work/interrupted.dll" &
  signer=$!
  for i in $(seq 100); do [ -s "$work/slow.log" ] && break; sleep 0.1; done
  password=$(cat "$work/slow.log" 2>/dev/null)
  [ -n "$password" ] && [ -f "$password" ] ||
    fail "$signal: the signing never reached the signer with the password's file"
  kill -s "$signal" -- "-$signer"
  wait "$signer" && fail "$signal: the interrupted signing succeeded"
  [ -z "$(ls -A "$work/tmp")" ] || fail "$signal: left behind: $(ls -A "$work/tmp")"
  cmp -s "$dll" "$work/interrupted.dll" || fail "$signal: the interrupted signing changed the DLL"
done

# No certificate, no signature.
unset FENMARK_SIGN_CERT
cp "$dll" "$work/unsigned.dll"
"$package/sign.sh" "$work/unsigned.dll" && cmp -s "$dll" "$work/unsigned.dll" ||
  fail "signed without a certificate"

[ $failures = 0 ] && echo "signed, timestamped and verified: the DLL and the packages; token," \
  "missing settings and interruptions as expected"
[ $failures = 0 ]

#!/usr/bin/env bash
# A real signature: signs a copy of setup.exe the way the build does with SETUP_SIGN_CERT
# and SETUP_SIGN_KEY (cmake/SignFile.cmake), with a throw-away self-signed code-signing
# certificate, checks it with osslsigncode, and runs the signed copy under Wine
# (SignedSetup*): its own payload check must still pass, and still catch a changed byte.
#   signed-setup.sh BUILD_DIR SETUP_EXE E2E_TESTS CMAKE SIGN_FILE_CMAKE
set -u
build=$1 setup=$2 tests=$3 cmake=$4 signer=$5
kSkip=77
fail() {
  echo "FAILED: $1"
  exit 1
}

for tool in openssl osslsigncode python3; do
  command -v $tool >/dev/null 2>&1 || { echo "no $tool here (tools/install-deps.sh installs it): skipped"; exit $kSkip; }
done
work="$build/signed-setup"
rm -rf "$work"
mkdir -p "$work"

# Made anew for each run and valid for two days: nothing of it is kept.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarnwick setup test signing" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$work/key.pem" -out "$work/cert.pem" >"$work/openssl.log" 2>&1 ||
  { cat "$work/openssl.log"; fail "openssl could not make the certificate"; }
"$cmake" -DOSSLSIGNCODE="$(command -v osslsigncode)" -DCERT="$work/cert.pem" -DKEY="$work/key.pem" \
  -DPROGRAM="$setup" -DSIGNED="$work/setup.exe" -P "$signer" || fail "signing failed"

# A self-signed certificate is its own root: verify is told to trust it (-CAfile), and
# with no time stamp the certificate must be valid now.
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/setup.exe" >"$work/verify.log" 2>&1 ||
  { cat "$work/verify.log"; fail "the signature of the signed copy does not verify"; }
echo "signed and verified: $work/setup.exe"
# The check is not one that passes anything: the program as built (unsigned, or signed
# with another certificate) and a signed copy with one byte of its payload changed both
# fail it.
if osslsigncode verify -CAfile "$work/cert.pem" -in "$setup" >/dev/null 2>&1; then
  fail "the program as built passes verification with the throw-away certificate"
fi
python3 - "$work/setup.exe" "$work/changed.exe" <<'PY'
import sys
image = bytearray(open(sys.argv[1], "rb").read())
image[len(image) // 2] ^= 0x20  # the payload fills most of the file
open(sys.argv[2], "wb").write(image)
PY
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed.exe" >/dev/null 2>&1; then
  fail "a signed copy with a changed byte passes verification"
fi
rm -f "$work/changed.exe"

out="$work/e2e.log"
TW_SIGNED_SETUP="Z:${work//\//\\}\\setup.exe" "$build/wine-run.sh" "$tests" --gtest_filter='SignedSetup*' | tee "$out"
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || exit "$status"
# The cases skip only when they do not find the signed copy, which is there.
if grep -q '^\[  SKIPPED \]' "$out" || grep -q '^\[  PASSED  \] 0 tests' "$out"; then
  fail "the Windows cases did not run against the signed copy"
fi

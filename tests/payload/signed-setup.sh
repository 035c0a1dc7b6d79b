#!/usr/bin/env bash
# A real signature: signs a copy of setup.exe the way the build does with SETUP_SIGN_CERT
# and SETUP_SIGN_KEY (cmake/SignFile.cmake), with a throw-away self-signed code-signing
# certificate, checks it with osslsigncode, and runs the signed copy under Wine
# (SignedSetup*): its own payload check must still pass, and still catch a changed byte.
# Then builds setup.exe in a tree of its own with the certificate set, to see that the
# winget manifest the build writes beside it carries the hash of the signed program.
#   signed-setup.sh BUILD_DIR SETUP_EXE E2E_TESTS CMAKE SIGN_FILE_CMAKE SOURCE_DIR TOOLCHAIN BUILD_TYPE
set -u
build=$1 setup=$2 tests=$3 cmake=$4 signer=$5 source=$6 toolchain=$7 buildType=$8
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

# The build's own signing step, and the manifest step after it: about 20 seconds on two
# cores for the setup program alone.
tree="$work/build"
{ "$cmake" -S "$source" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE="$buildType" \
    -DBUILD_TESTING=OFF -DSETUP_SIGN_CERT="$work/cert.pem" -DSETUP_SIGN_KEY="$work/key.pem" &&
  "$cmake" --build "$tree" --target setup -j2; } >"$work/build.log" 2>&1 ||
  { tail -20 "$work/build.log"; fail "the build with SETUP_SIGN_CERT and SETUP_SIGN_KEY failed"; }
osslsigncode verify -CAfile "$work/cert.pem" -in "$tree/bin/setup.exe" >/dev/null 2>&1 ||
  fail "the build with SETUP_SIGN_CERT and SETUP_SIGN_KEY gave no verified signature"
hash=$(sha256sum "$tree/bin/setup.exe" | cut -d' ' -f1 | tr a-f A-F)
grep -qx "    InstallerSha256: $hash" "$tree/bin/setup.winget.yaml" ||
  fail "the winget manifest of the signing build does not carry the signed program's hash $hash"
echo "winget manifest after the build's signing: InstallerSha256 $hash"
rm -rf "$tree"

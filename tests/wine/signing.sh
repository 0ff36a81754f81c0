#!/bin/sh
# scripts/sign with a throwaway certificate: a signature that verifies and comes off to the
# build's bytes, and a signed launcher that passes an end-to-end run (its refusals: tests/scripts.sh).
# Usage: signing.sh SOURCE-FOLDER BIN-FOLDER
set -eu
src=$1 bin=$2 work=$2/../signing
rm -rf "$work" && mkdir -p "$work" && cd "$work"
trap 'rm -rf "$work"' EXIT
cp "$bin/Quorvane.exe" unsigned.exe
cp unsigned.exe Quorvane.exe
openssl req -x509 -newkey rsa:2048 -nodes -keyout signer.key -out signer.pem -days 2 -subj "/CN=Quorvane Test" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -out signer.pfx -inkey signer.key -in signer.pem -passout 'pass:a pass word'
QUORVANE_SIGN_PFX=signer.pfx QUORVANE_SIGN_PASSWORD='a pass word' "$src/scripts/sign" Quorvane.exe
osslsigncode verify -CAfile signer.pem -in Quorvane.exe >verify.log 2>&1 || { cat verify.log; exit 1; }
osslsigncode remove-signature -in Quorvane.exe -out stripped.exe >/dev/null
cmp unsigned.exe stripped.exe
QUORVANE_LAUNCHER=$(winepath -w "$work/Quorvane.exe") wine "$bin/quorvane_tests.exe" \
  --gtest_filter=EndToEnd.RunsTheFirstUsableUninstallerWithTheExactCommandLine >e2e.log 2>&1 || { cat e2e.log; exit 1; }
grep -q '^1 passed, 0 failed' e2e.log || { cat e2e.log; exit 1; }
echo "signed, verified, bytes unchanged under the signature, end to end passed"

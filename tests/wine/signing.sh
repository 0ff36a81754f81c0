#!/bin/sh
# scripts/release's trial with a throwaway certificate: the signature verifies and comes off to the build's bytes,
# the kit holds the signed launcher, the sums hold, and it passes an end-to-end run (refusals: tests/scripts.sh).
# Usage: signing.sh SOURCE-FOLDER BIN-FOLDER   (after scripts/build)
set -eu
src=$1 bin=$2 work=$2/../signing trial=$1/build/release-trial
rm -rf "$work" && mkdir -p "$work" && cd "$work"
trap 'rm -rf "$work" "$trial"' EXIT
cmp "$bin/Quorvane.exe" "$src/dist/Quorvane.exe" || { echo "dist/ holds another build: run scripts/build"; exit 1; }
openssl req -x509 -newkey rsa:2048 -nodes -keyout signer.key -out signer.pem -days 2 -subj "/CN=Quorvane Test" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -out signer.pfx -inkey signer.key -in signer.pem -passout 'pass:a pass word'
QUORVANE_RELEASE_TRIAL=1 QUORVANE_SIGN_PFX="$PWD/signer.pfx" QUORVANE_SIGN_PASSWORD='a pass word' \
  QUORVANE_SIGN_CA="$PWD/signer.pem" "$src/scripts/release" >release.log 2>&1 || { cat release.log; exit 1; }
(cd "$trial" && sha256sum -c --quiet SHA256SUMS) || exit 1
mkdir kit && (cd kit && cmake -E tar xf "$trial"/QuorvaneTestKit-*.zip)
cmp "$trial/Quorvane.exe" kit/QuorvaneTestKit-*/Quorvane.exe
! cmp -s "$trial/Quorvane.exe" "$bin/Quorvane.exe" || { echo "the release's launcher is not signed"; exit 1; }
QUORVANE_LAUNCHER=$(winepath -w "$trial/Quorvane.exe") wine "$bin/quorvane_tests.exe" \
  --gtest_filter=EndToEnd.RunsTheFirstUsableUninstallerWithTheExactCommandLine >e2e.log 2>&1 || { cat e2e.log; exit 1; }
grep -q '^1 passed, 0 failed' e2e.log || { cat e2e.log; exit 1; }
echo "release trial: signed, verified, bytes unchanged under the signature, in the kit, sums hold, end to end passed"

#!/bin/sh
# scripts/sign with a throwaway certificate: it refuses without a key, its signature holds
# against the test's own root, the program bytes stay those of the unsigned build, and the
# signed launcher does its job end to end.
# Usage: signing.sh SOURCE-FOLDER BIN-FOLDER WORK-FOLDER
set -eu
src=$1 bin=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cp "$bin/Quorvane.exe" "$work/unsigned.exe"
cp "$bin/Quorvane.exe" "$work/Quorvane.exe"

if env -u QUORVANE_SIGN_PFX "$src/scripts/sign" "$work/Quorvane.exe" 2>"$work/refusal"; then
  echo "signed without a key"
  exit 1
fi
grep -q "no signing key" "$work/refusal" || { cat "$work/refusal"; exit 1; }
cmp "$work/unsigned.exe" "$work/Quorvane.exe"

cd "$work"
openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 2 -subj "/CN=Quorvane Test Root" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj "/CN=Quorvane Test Signer" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
openssl x509 -req -in signer.csr -CA root.pem -CAkey root.key -CAcreateserial -out signer.pem -days 2 \
  -extfile signer.ext 2>/dev/null
openssl pkcs12 -export -out signer.pfx -inkey signer.key -in signer.pem -passout 'pass:a pass word'

QUORVANE_SIGN_PFX=$work/signer.pfx QUORVANE_SIGN_PASSWORD='a pass word' "$src/scripts/sign" "$work/Quorvane.exe"
osslsigncode verify -CAfile root.pem -in Quorvane.exe >verify.log 2>&1 || { cat verify.log; exit 1; }
if cmp -s unsigned.exe Quorvane.exe; then
  echo "the launcher was not changed by signing"
  exit 1
fi
osslsigncode remove-signature -in Quorvane.exe -out stripped.exe >/dev/null
cmp unsigned.exe stripped.exe

QUORVANE_LAUNCHER=$(winepath -w "$work/Quorvane.exe") \
  wine "$bin/quorvane_e2e_tests.exe" --gtest_filter=EndToEnd.RunsTheFirstUsableUninstallerSilentlyAndWaitsForIt \
  >e2e.log 2>&1 || { cat e2e.log; exit 1; }
echo "signed, verified against the test root, program bytes unchanged, end to end run passed"

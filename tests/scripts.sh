#!/bin/sh
# The project's scripts as their users meet them: each answers --help and -h with its usage and exit code 0, and a
# bad argument with its usage and exit code 2, at once: the tools they would call are tripwires here.
# Usage: tests/scripts.sh
set -eu
cd "$(dirname "$0")/.."
trip=$(mktemp -d)
trap 'rm -rf "$trip"' EXIT
for tool in apt-get dpkg-query mount sudo cmake ctest git wine wineserver wineboot Xvfb clang-format clang-tidy \
            osslsigncode; do printf '#!/bin/sh\ntouch "%s/called-%s"\nexit 1\n' "$trip" "$tool" >"$trip/$tool"; done
chmod +x "$trip"/*
fail() { echo "tests/scripts.sh: $*"; exit 1; }
checked=0
run() { # expected-status script arguments...
  expected=$1 status=0
  shift
  output=$(PATH="$trip:$PATH" timeout 60 "$@" 2>&1) || status=$?
  [ "$status" = "$expected" ] || fail "$* exits $status, not $expected: $output"
  printf '%s\n' "$output" | grep -q '^Usage: ' || fail "$* prints no usage line: $output"
  checked=$((checked + 1))
}
for script in scripts/*; do
  for flag in --help -h; do run 0 "$script" $flag; done
done
for call in "fuzz abc" "fuzz -5" "fuzz 0" "fuzz 3 NoSuchTarget" "bench abc" "bench 0 0" "bench 1 0" "bench 1 1 1" "bench --64-bit 1 1 1" "bench --32-bit" "kit extra" "kit --unelevated extra" \
            "sign --key" "release extra" "prepare-32bit extra" "prepare-32bit --undo extra" "build extra" "check-reproducible extra" "demo extra" "install-deps extra" "lint extra" "test extra"; do
  run 2 scripts/$call # split into the script and its arguments
done
printf 'key' >"$trip/key.pfx"
printf 'MZ' >"$trip/Quorvane.exe"
# Signing and a release refuse without a key, before they sign, test or build anything.
run 2 env QUORVANE_SIGN_PFX="$trip/key.pfx" QUORVANE_SIGN_PASSWORD= scripts/sign "$trip/no-such-file.exe"
for call in "sign $trip/Quorvane.exe" release; do
  run 2 env -u QUORVANE_SIGN_PFX scripts/$call
  run 2 env QUORVANE_SIGN_PFX="$trip/missing.pfx" QUORVANE_SIGN_PASSWORD= scripts/$call
done
called=$(ls "$trip" | sed -n 's/^called-//p' | tr '\n' ' ')
[ -z "$called" ] || fail "a script called $called before refusing or after its usage"

# Signing needs the signing tool alone: with it present, nothing is installed.
printf '#!/bin/sh\nwhile [ $# -gt 0 ]; do [ "$1" = -out ] && : >"$2"; shift; done\n' >"$trip/osslsigncode"
output=$(PATH="$trip:$PATH" QUORVANE_SIGN_PFX="$trip/key.pfx" QUORVANE_SIGN_PASSWORD= scripts/sign "$trip/Quorvane.exe" 2>&1) ||
  fail "scripts/sign with its tool present: $output"
[ ! -e "$trip/called-apt-get" ] && [ ! -e "$trip/called-dpkg-query" ] || fail "scripts/sign installed something"
echo "scripts: $checked calls answered with their usage at once, nothing run; signing installed nothing"

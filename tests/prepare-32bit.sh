#!/bin/sh
# scripts/prepare-32bit's decision, with stand-ins for what it touches: nothing changed where 32-bit programs run,
# one emulator registration where they do not, exit 1 where nothing can be done (scripts/demo stops there too).
# Usage: tests/prepare-32bit.sh
set -eu
cd "$(dirname "$0")/.."
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
fail() { echo "tests/prepare-32bit.sh: $*"; exit 1; }

mkdir "$t/path"
for tool in bash sh env head grep mktemp tail rm cat dirname sed chmod; do ln -s "$(command -v $tool)" "$t/path"; done
stand_in() { # name body: a program on the stand-ins' PATH that notes each call
  printf '#!/bin/sh\necho "$*" >>"%s/called-%s"\n%s\n' "$t" "$1" "$2" >"$t/path/$1"
  chmod +x "$t/path/$1"
}
# The loader runs where "native" is marked, or once QEMU is registered.
stand_in ld-linux.so.2 "[ -e '$t/native' ] || grep -q ':qemu-i386:' '$t/binfmt/register' 2>/dev/null && exit 0
echo 'Exec format error' >&2; exit 126"
stand_in apt-get ": >'$t/path/qemu-i386'; chmod +x '$t/path/qemu-i386'"
stand_in mount "[ -e '$t/no-mount' ] && exit 32; : >'$t/binfmt/register'"
stand_in id 'echo 0'
for tool in sudo cmake wine wineserver; do stand_in $tool 'exit 1'; done
# scripts/install-deps finds everything installed.
stand_in dpkg-query "echo 'install ok installed'"
stand_in locale 'printf "ja_JP.utf8\\nhi_IN.utf8\\n"'

machine() { # native|none: a fresh machine of that kind
  rm -rf "$t/binfmt" "$t"/called-* "$t/native" "$t/no-mount" "$t/path/qemu-i386"
  mkdir "$t/binfmt"
  [ "$1" = none ] || : >"$t/native"
}
prepare() { # expected-status arguments...
  expected=$1 status=0
  shift
  out=$(PATH="$t/path" QUORVANE_BINFMT="$t/binfmt" QUORVANE_PROBE_32BIT="$t/path/ld-linux.so.2" "$@" 2>&1) || status=$?
  [ "$status" = "$expected" ] || fail "$* exits $status, not $expected: $out"
}
calls() { cat "$t/called-$1" 2>/dev/null | grep -c "${2:-.}" || true; }

machine native
prepare 0 scripts/prepare-32bit
[ "$(calls apt-get)" = 0 ] && [ "$(calls mount)" = 0 ] && [ ! -e "$t/binfmt/register" ] ||
  fail "a machine that runs 32-bit programs was changed"

machine none
prepare 0 scripts/prepare-32bit
[ "$(calls apt-get install)" = 1 ] && [ "$(calls mount)" = 1 ] || fail "not one qemu-user install and one mount"
grep -q ":qemu-i386:.*:$t/path/qemu-i386:F\$" "$t/binfmt/register" || fail "registered: $(cat "$t/binfmt/register")"
written=$(cat "$t/binfmt/register")
# The kernel turns the line into a handler; a second run finds it and registers nothing.
printf 'enabled\ninterpreter %s\n' "$t/path/qemu-i386" >"$t/binfmt/qemu-i386"
: >"$t/binfmt/register"
prepare 0 scripts/prepare-32bit
[ "$(calls apt-get install)" = 1 ] && [ ! -s "$t/binfmt/register" ] || fail "a second run registered again"
prepare 0 scripts/prepare-32bit --undo
[ "$(cat "$t/binfmt/qemu-i386")" = -1 ] || fail "--undo did not remove the handler"

# binfmt_misc cannot be mounted: scripts/demo stops before building or starting Wine, with the refusal's lines to
# type as root.
machine none
: >"$t/no-mount"
prepare 1 scripts/demo
[ "$(calls cmake)" = 0 ] && [ "$(calls wine)" = 0 ] || fail "scripts/demo built or ran Wine on a machine that cannot"
for line in "printf '%s\\n' '$written' > $t/binfmt/register" "mount -t binfmt_misc binfmt_misc $t/binfmt"; do
  printf '%s\n' "$out" | grep -qxF "      $line" || fail "the refusal gives no line $line: $out"
done
echo "prepare-32bit: native, emulated once, undone, refused; demo stops before building"

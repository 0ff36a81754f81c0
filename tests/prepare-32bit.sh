#!/bin/sh
# scripts/prepare-32bit's decision, with stand-ins for what it touches: nothing changed where 32-bit programs run,
# one emulator registration where they do not, exit 1 where nothing can be done (scripts/demo stops there too).
# Usage: tests/prepare-32bit.sh
set -eu
cd "$(dirname "$0")/.."
t=$(mktemp -d) && mkdir "$t/path"
trap 'rm -rf "$t"' EXIT
fail() { echo "tests/prepare-32bit.sh: $*"; exit 1; }

for tool in bash sh env head grep mktemp tail rm cat dirname sed chmod; do ln -s "$(command -v $tool)" "$t/path"; done
stand_in() { # name body: a program on the stand-ins' PATH that notes each call
  printf '#!/bin/sh\necho "$*" >>"%s/called-%s"\n%s\n' "$t" "$1" "$2" >"$t/path/$1"
  chmod +x "$t/path/$1"
}
stand_in ld-linux.so.2 "[ -e '$t/native' ] && exit 0 # the loader, where native or once QEMU is registered unless broken
grep -q ':qemu-i386:' '$t/binfmt/register' 2>/dev/null && [ ! -e '$t/broken' ] && exit 0
echo 'Exec format error' >&2; exit 126"
stand_in apt-get ": >'$t/path/qemu-i386'; chmod +x '$t/path/qemu-i386'"
stand_in mount "[ -e '$t/no-mount' ] && exit 32; : >'$t/binfmt/register'"
stand_in id 'echo 0'
for tool in sudo cmake wine wineserver; do stand_in $tool 'exit 1'; done
stand_in dpkg-query "echo 'install ok installed'" # scripts/install-deps finds everything installed
stand_in locale 'printf "ja_JP.utf8\\nhi_IN.utf8\\n"'

machine() { # native|none [broken|no-mount]: a fresh machine of that kind, with what else holds
  rm -rf "$t/binfmt" "$t"/called-* "$t/native" "$t/broken" "$t/no-mount" "$t/path/qemu-i386"
  mkdir "$t/binfmt"
  for holds in "$@"; do [ "$holds" = none ] || : >"$t/$holds"; done
}
prepare() { # expected-status arguments...
  expected=$1 status=0 && shift
  out=$(PATH="$t/path" QUORVANE_BINFMT="$t/binfmt" QUORVANE_PROBE_32BIT="$t/path/ld-linux.so.2" "$@" 2>&1) || status=$?
  [ "$status" = "$expected" ] || fail "$* exits $status, not $expected: $out"
}
calls() { cat "$t/called-$1" 2>/dev/null | grep -c "${2:-.}" || true; }

machine native
prepare 0 scripts/prepare-32bit
[ -z "$(ls "$t/called-apt-get" "$t/called-mount" "$t/binfmt/register" 2>/dev/null)" ] || fail "a native machine changed"

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
machine native # a trial of the emulated route where 32-bit programs run
prepare 0 scripts/prepare-32bit --emulate
grep -q ':qemu-i386:' "$t/binfmt/register" || fail "--emulate registered nothing"
machine none broken # a QEMU that starts nothing leaves no registration that would break every 32-bit program
prepare 1 scripts/prepare-32bit
[ "$(cat "$t/binfmt/qemu-i386")" = -1 ] || fail "a QEMU that does not start stayed registered: $out"

# binfmt_misc cannot be mounted: scripts/demo stops before building or starting Wine, giving the lines to type.
machine none no-mount
prepare 1 scripts/demo
[ "$(calls cmake)" = 0 ] && [ "$(calls wine)" = 0 ] || fail "scripts/demo built or ran Wine on a machine that cannot"
for line in "printf '%s\\n' '$written' > $t/binfmt/register" "mount -t binfmt_misc binfmt_misc $t/binfmt"; do
  printf '%s\n' "$out" | grep -qxF "      $line" || fail "the refusal gives no line $line: $out"
done
echo "prepare-32bit: native, emulated once, undone, emulated on request, a broken QEMU undone, refused; demo stops"

#!/bin/sh
# Ctrl-C to scripts/demo's process group while it makes its first Wine prefix: it says so within
# seconds and leaves no Wine program, display or half-made prefix behind.
# Usage: tests/interrupt.sh   (after a build; needs Wine and Xvfb)
set -eu
cd "$(dirname "$0")/.."
fail() { echo "tests/interrupt.sh: $*"; exit 1; }
build=$(mktemp -d "$PWD/build/interrupt.XXXXXX")
demo=""
# Whatever a failure leaves running goes before its folder does.
trap '[ -z "$demo" ] || kill -KILL -$demo 2>/dev/null || true
      WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
      rm -rf "$build"' EXIT
: >"$build/said"
# A background job ignores SIGINT from its start; a foreground one, as typed, does not.
setsid env --default-signal=INT -u QUORVANE_SESSION_OWNER QUORVANE_BUILD="$build" scripts/demo >"$build/said" 2>&1 &
demo=$!
tries=0
until grep -q 'making the Wine prefix' "$build/said" || [ $tries -ge 600 ]; do sleep 0.1; tries=$((tries + 1)); done
[ $tries -lt 600 ] || { cat "$build/said"; fail "scripts/demo never began to make its prefix"; }
sleep 3 # wineboot at work
xvfb=$(cat "$build/xvfb.pid")
kill -INT -$demo
status=0
tries=0
while kill -0 "$demo" 2>/dev/null && [ $tries -lt 300 ]; do sleep 0.1; tries=$((tries + 1)); done
kill -0 "$demo" 2>/dev/null && fail "scripts/demo still runs 30 s after Ctrl-C"
wait "$demo" || status=$?
[ "$status" = 130 ] || { cat "$build/said"; fail "scripts/demo ended with $status after Ctrl-C, not 130"; }
grep -q 'scripts/demo: interrupted while making the Wine prefix' "$build/said" ||
  { cat "$build/said"; fail "scripts/demo did not say it was interrupted"; }
[ ! -e "$build/wineprefix" ] || fail "the half-made prefix $build/wineprefix is left"
# What it started, down to its watchdog's last second of sleep, is gone within seconds.
for second in 1 2 3 4 5; do
  left=$(grep -l "WINEPREFIX=$build/wineprefix" /proc/[0-9]*/environ 2>/dev/null || true)
  [ -z "$left" ] && break
  sleep 1
done
[ -z "$left" ] || fail "processes of the session still run: $(for p in $left; do tr '\0' ' ' <"${p%environ}cmdline"; echo; done)"
[ "$(cat "/proc/$xvfb/comm" 2>/dev/null)" != Xvfb ] || fail "its display, Xvfb $xvfb, still runs"
echo "interrupt: Ctrl-C while making the prefix ended scripts/demo in $((tries / 10)) s, nothing left"

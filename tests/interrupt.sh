#!/bin/sh
# Ctrl-C to scripts/demo while it makes its first Wine prefix: it says so, ends the Wine programs rather than waiting
# for them, and leaves no Wine program, display or half-made prefix. Each bound allows for slow emulated starts.
# Usage: tests/interrupt.sh   (after a build; needs Wine and Xvfb)
set -eu
cd "$(dirname "$0")/.."
fail() { echo "tests/interrupt.sh: $*"; exit 1; }
build=$(mktemp -d "$PWD/build/interrupt.XXXXXX")
prefix=$build/wineprefix demo="" xvfb=""

# Still running, in any thread? One ended and not yet collected, exiting (flag 4) or sent SIGKILL (bit 8 of the
# pending signals) is on its way out, at the kernel's pace.
running() { # pid
  for task in /proc/$1/task/*; do
    stat=$(cat "$task/stat" 2>/dev/null) || continue
    set -- ${stat##*)}
    [ "$1" != Z ] && [ "$1" != X ] && [ $(($7 & 4)) = 0 ] &&
      ! sed -n 's/^[SH][id][gd]Pnd:.*\(.\)..$/\1/p' "$task/status" 2>/dev/null | grep -q '[13579bdf]' && return 0
  done
  return 1
}
# The processes whose environment names the session's prefix (an ended one has none).
of_session() { grep -lz "^WINEPREFIX=$prefix\$" /proc/[0-9]*/environ 2>/dev/null | sed 's|/proc/\([0-9]*\)/environ|\1|'; }
seconds() { echo $(($(date +%s) - start)); }
# What a failure leaves running goes before its folder, also once the prefix naming its Wine server is gone.
trap '[ -z "$demo" ] || kill -KILL -$demo 2>/dev/null || true
      kill -KILL $(of_session) 2>/dev/null || true
      [ "$(cat "/proc/${xvfb:-0}/comm" 2>/dev/null)" != Xvfb ] || kill "$xvfb"
      rm -rf "$build"' EXIT

# A background job ignores SIGINT from its start; a foreground one, as typed, does not.
setsid env --default-signal=INT -u QUORVANE_SESSION_OWNER QUORVANE_BUILD="$build" scripts/demo >"$build/said" 2>&1 &
demo=$!
start=$(date +%s)
# wineboot, stopped at work on the prefix, can only be ended: a clean-up that waits for it instead never ends.
wineboot=""
until [ -n "$wineboot" ]; do
  running "$demo" && [ "$(seconds)" -lt 600 ] || { cat "$build/said"; fail "scripts/demo did not begin to make its prefix"; }
  sleep 0.1
  for pid in $(of_session); do [ "$(cat "/proc/$pid/comm" 2>/dev/null)" != wineboot.exe ] || wineboot=$pid; done
done
kill -STOP "$wineboot"
xvfb=$(cat "$build/xvfb.pid")
kill -INT -$demo
start=$(date +%s)
while running "$demo"; do
  [ "$(seconds)" -lt 300 ] || fail "scripts/demo still runs 300 s after Ctrl-C"
  sleep 0.1
done
status=0
wait "$demo" || status=$?
demo=""
ended=$(seconds)
[ "$status" = 130 ] && grep -q 'scripts/demo: interrupted while making the Wine prefix' "$build/said" ||
  { cat "$build/said"; fail "scripts/demo ended with $status after Ctrl-C, not 130 and its word that it was interrupted"; }
[ ! -e "$prefix" ] || fail "the half-made prefix $prefix is left"
# Once it has ended, so has what it started, or it is on its way out (a second look past a SIGKILL's instant).
! running "$xvfb" || fail "its display, Xvfb $xvfb, still runs"
xvfb="" # gone: its number may be another display's by now
for look in 1 2; do
  left=$(for pid in $(of_session); do
    ! running "$pid" || printf '%s %s %s: %s\n' "$pid" "$(sed -n 's/^State:[[:space:]]*//p' "/proc/$pid/status")" \
      "$(cat "/proc/$pid/comm")" "$(tr '\0' ' ' <"/proc/$pid/cmdline")"
  done 2>/dev/null)
  [ -n "$left" ] && [ $look = 1 ] && sleep 2 || break
done
[ -z "$left" ] || fail "processes of the session still run (pid, state, program: command line):
$left"
echo "interrupt: Ctrl-C while making the prefix ended scripts/demo in $ended s, nothing left"

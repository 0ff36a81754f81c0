#!/bin/sh
# Ctrl-C to scripts/demo's process group while it makes its first Wine prefix: it says so, ends
# the Wine programs rather than waiting for them, and leaves no Wine program, display or
# half-made prefix behind. Where 32-bit programs are emulated, starts and ends take seconds and
# longer under load: every wait here is for a condition, with a bound that only a fault reaches.
# Usage: tests/interrupt.sh   (after a build; needs Wine and Xvfb)
set -eu
cd "$(dirname "$0")/.."
fail() { echo "tests/interrupt.sh: $*"; exit 1; }
build=$(mktemp -d "$PWD/build/interrupt.XXXXXX")
prefix=$build/wineprefix
demo=""

# running, ending or gone: a process that has ended and waits to be collected (by whichever
# process adopted it, at its own pace), one that is exiting and one sent SIGKILL are all on
# their way out; only the kernel's pace decides when they go.
fate() { # pid
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || { echo gone; return; }
  pending=$(sed -n 's/^\(Sig\|Shd\)Pnd:[[:space:]]*[0-9a-f]*\([0-9a-f]\{3\}\)$/\2/p' "/proc/$1/status" 2>/dev/null)
  stat=${stat##*)}
  set -- $stat
  case $1 in Z | X) echo ending; return ;; esac
  # flags: PF_EXITING is 4; SIGKILL is bit 8 of the pending masks.
  if [ $(($7 & 4)) != 0 ]; then echo ending; return; fi
  for mask in $pending; do [ $((0x$mask & 0x100)) = 0 ] || { echo ending; return; }; done
  echo running
}
# The processes that carry the session's prefix in their environment (an ended one has none).
of_session() {
  for environ in $(grep -lz "^WINEPREFIX=$prefix\$" /proc/[0-9]*/environ 2>/dev/null || true); do
    pid=${environ#/proc/}
    echo "${pid%/environ}"
  done
}
# Those of them not on their way out, each with its state and program.
left_running() {
  for pid in $(of_session); do
    [ "$(fate "$pid")" = running ] || continue
    printf '%s %s %s: %s\n' "$pid" "$(sed -n 's/^State:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null)" \
      "$(cat "/proc/$pid/comm" 2>/dev/null)" "$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)"
  done
}
seconds() { echo $(($(date +%s) - start)); }
# Whatever a failure leaves running goes before its folder does, also once the prefix that
# would name its Wine server is gone.
trap '[ -z "$demo" ] || kill -KILL -$demo 2>/dev/null || true
      WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
      kill -KILL $(of_session) 2>/dev/null || true
      [ "$(cat "/proc/${xvfb:-0}/comm" 2>/dev/null)" != Xvfb ] || kill "$xvfb"
      rm -rf "$build"' EXIT

: >"$build/said"
# A background job ignores SIGINT from its start; a foreground one, as typed, does not.
setsid env --default-signal=INT -u QUORVANE_SESSION_OWNER QUORVANE_BUILD="$build" scripts/demo >"$build/said" 2>&1 &
demo=$!
start=$(date +%s)
# wineboot at work on the prefix. Stopped there, it can only be ended, never finish: a clean-up
# that waits for the Wine programs instead of ending them then never ends, however fast or slow
# the machine.
wineboot=""
until [ -n "$wineboot" ]; do
  [ "$(seconds)" -lt 600 ] || { cat "$build/said"; fail "scripts/demo had not begun to make its prefix after 600 s"; }
  sleep 0.1
  for pid in $(of_session); do [ "$(cat "/proc/$pid/comm" 2>/dev/null)" != wineboot.exe ] || wineboot=$pid; done
done
kill -STOP "$wineboot"
grep -q 'making the Wine prefix' "$build/said" || { cat "$build/said"; fail "scripts/demo did not say it makes its prefix"; }
xvfb=$(cat "$build/xvfb.pid")
kill -INT -$demo
start=$(date +%s)
while [ "$(fate "$demo")" = running ]; do
  [ "$(seconds)" -lt 300 ] || fail "scripts/demo still runs 300 s after Ctrl-C"
  sleep 0.1
done
status=0
wait "$demo" || status=$?
demo=""
ended=$(seconds)
[ "$status" = 130 ] || { cat "$build/said"; fail "scripts/demo ended with $status after Ctrl-C, not 130"; }
grep -q 'scripts/demo: interrupted while making the Wine prefix' "$build/said" ||
  { cat "$build/said"; fail "scripts/demo did not say it was interrupted"; }
[ ! -e "$prefix" ] || fail "the half-made prefix $prefix is left"
# Once it has ended, what it started is ended too: whatever is still on its way out goes at
# the kernel's pace, but a process that nobody ended, or its display, fails at once.
[ "$(fate "$xvfb")" != running ] || fail "its display, Xvfb $xvfb, still runs: $(cat "/proc/$xvfb/cmdline" | tr '\0' ' ')"
xvfb="" # gone: its number may be another display's by now
left=$(left_running)
[ -z "$left" ] || { sleep 2; left=$(left_running); } # the instant between a SIGKILL taken and the exit
[ -z "$left" ] || fail "processes of the session still run (pid, state, program: command line):
$left"
echo "interrupt: Ctrl-C while making the prefix ended scripts/demo in $ended s, nothing left"

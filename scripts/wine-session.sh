#!/usr/bin/env bash
# Sourced by the scripts that run Windows programs: the project's own Wine prefix
# (build/wineprefix, whatever WINEPREFIX the caller has: a user's own prefix and its running
# programs are never touched), one persistent Wine server for the whole run (without it
# every program pays seconds of server start-up), and an Xvfb display of its own for the
# message boxes, whatever DISPLAY says: nothing appears on the user's screen, and pictures
# show only what the launcher drew. Wine's menu builder is off, so nothing is written into
# the user's home.
# One session per checkout at a time: a second script waits for the first; a script that
# a session's script calls shares that session. When the script that started the session
# ends, its display and server end; a watchdog ends them too when that script is killed,
# and the next session of the checkout ends whatever a dead one left. Interrupted (Ctrl-C),
# the script says so, ends every Wine program of the session, and removes a prefix it was
# still making.
# Usage: source scripts/wine-session.sh; wine_session_start

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  echo "Usage: source scripts/wine-session.sh, then call wine_session_start (it is not run on its own)"
  case "${1:-}" in -h | --help) exit 0 ;; *) exit 2 ;; esac
fi

: "${QUORVANE_BUILD:=$(pwd)/build}"
export WINEPREFIX="$QUORVANE_BUILD/wineprefix"
# A caller's choice of architecture or server would make another kind of prefix or reach
# another server.
unset WINEARCH WINESERVER
export WINEDEBUG="${WINEDEBUG:--all}"
# The menu builder writes menus, desktop entries and file associations into the user's
# home; it stays off whatever else a caller overrides.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=};winemenubuilder.exe=d"
# Where scripts/prepare-32bit registered QEMU for 32-bit programs (machines whose kernel runs
# none), every 32-bit Wine process is emulated; bounding the emulated address space makes
# it start in seconds instead of most of a minute. QUORVANE_EMULATED tells the scripts to
# say so. Nothing changes where 32-bit programs run natively.
if head -1 "${QUORVANE_BINFMT:-/proc/sys/fs/binfmt_misc}/qemu-i386" 2>/dev/null | grep -qx enabled; then
  export QEMU_RESERVED_VA=0x81000000 QUORVANE_EMULATED=1
else
  export QUORVANE_EMULATED=""
fi

# Wine's own tools (cmd, reg, winepath) are the 64-bit ones of a 64-bit prefix, started
# here through the 64-bit loader: `wine` takes the 32-bit loader, which finds their 32-bit
# copies, and where 32-bit programs are emulated every such start costs seconds. A 32-bit
# prefix (the test kit's check makes one, as 32-bit Windows) has 32-bit tools alone.
wine_tool() {
  if grep -q '^#arch=win32' "$WINEPREFIX/system.reg" 2>/dev/null; then wine "$@"; else /usr/lib/wine/wine64 "$@"; fi
}
winepath() { wine_tool winepath.exe "$@"; }

quorvane_session_lock="$QUORVANE_BUILD/session.lock"
quorvane_session_owned=""
quorvane_xvfb_pid=""
quorvane_watchdog_pid=""
quorvane_making_prefix=""

# Ends what a session started: its server (with every program of this prefix), its display
# (only while that process is still an Xvfb: a dead run's number may have been reused).
quorvane_session_end() { # xvfb-pid
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true # until it and its programs are gone
  if [ -n "$1" ] && [ "$(cat "/proc/$1/comm" 2>/dev/null)" = Xvfb ]; then
    kill "$1" >/dev/null 2>&1 || true
  fi
  rm -f "$QUORVANE_BUILD/xvfb.pid"
}

wine_session_stop() {
  [ -n "$quorvane_session_owned" ] || return 0
  quorvane_session_owned=""
  if [ -n "$quorvane_watchdog_pid" ]; then
    kill "$quorvane_watchdog_pid" >/dev/null 2>&1 || true
    wait "$quorvane_watchdog_pid" 2>/dev/null || true
  fi
  quorvane_session_end "$quorvane_xvfb_pid"
  [ -z "$quorvane_xvfb_pid" ] || wait "$quorvane_xvfb_pid" 2>/dev/null || true
  if [ -n "$quorvane_making_prefix" ]; then
    # Only once nothing writes into it any more.
    wait 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    echo "the half-made Wine prefix $WINEPREFIX was removed" >&2
  fi
  rm -rf "$quorvane_session_lock"
}

# Ctrl-C or a termination: said at once; the exit then ends the session's programs.
quorvane_interrupted() {
  trap '' INT TERM
  echo "scripts/${0##*/}: interrupted${quorvane_making_prefix:+ while making the Wine prefix};" \
    "ending the Wine programs and the display it started" >&2
  exit 130
}

# Takes the checkout's session, waiting while another live script holds it. A lock whose
# script and watchdog are both gone was left by a killed run.
quorvane_session_take() {
  local owner said=""
  until mkdir "$quorvane_session_lock" 2>/dev/null; do
    owner=$(cat "$quorvane_session_lock/owner" 2>/dev/null || true)
    if [ -n "$owner" ] && ! kill -0 ${owner%% *} 2>/dev/null; then
      rm -rf "$quorvane_session_lock"
      continue
    fi
    if [ -z "$said" ]; then
      echo "waiting for another script of this checkout to end its Wine session" \
        "(scripts/${owner##* }, process ${owner%% *}) ..."
      said=1
    fi
    sleep 2
  done
}

wine_session_start() {
  mkdir -p "$QUORVANE_BUILD"
  # A script called by the session's own script shares its display and server.
  if [ -n "${QUORVANE_SESSION_OWNER:-}" ] && kill -0 "$QUORVANE_SESSION_OWNER" 2>/dev/null; then
    export DISPLAY="$QUORVANE_SESSION_DISPLAY"
    return 0
  fi
  quorvane_session_take
  quorvane_session_owned=1
  trap wine_session_stop EXIT
  trap quorvane_interrupted INT TERM
  echo "$$ $$ ${0##*/}" >"$quorvane_session_lock/owner"
  # What a killed run of this checkout left behind.
  quorvane_session_end "$(cat "$QUORVANE_BUILD/xvfb.pid" 2>/dev/null || true)"

  # The first free number from :91 on. Another run may take the same number in the same
  # instant: its lock then names the other server, ours ends, and the next number is tried.
  # Until our lock and socket are there (seconds on a busy machine): a display that never
  # came up would fail every box later, far from its cause.
  local display="" candidate tries
  for candidate in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$candidate" ] || [ -e "/tmp/.X$candidate-lock" ] && continue
    # In a session of its own, as wineboot below: Ctrl-C reaches the script alone, which
    # then ends them in order.
    setsid Xvfb ":$candidate" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    quorvane_xvfb_pid=$!
    echo "$quorvane_xvfb_pid" >"$QUORVANE_BUILD/xvfb.pid"
    tries=0
    while :; do
      case $(sed -n 's/^State:[[:space:]]*\(.\).*/\1/p' "/proc/$quorvane_xvfb_pid/status" 2>/dev/null) in
        "" | Z | X) break ;;
      esac
      if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$candidate-lock")" = "$quorvane_xvfb_pid" ] &&
        [ -e "/tmp/.X11-unix/X$candidate" ]; then
        display=$candidate
        break
      fi
      [ $tries -lt 1200 ] || { echo "Xvfb :$candidate made no socket in 120 s" >&2; exit 1; }
      sleep 0.1
      tries=$((tries + 1))
    done
    [ -z "$display" ] || break
    wait "$quorvane_xvfb_pid" 2>/dev/null || true
    quorvane_xvfb_pid=""
  done
  [ -n "$display" ] || { echo "no X display number from :91 to :140 could be taken" >&2; exit 1; }
  export DISPLAY=":$display" QUORVANE_SESSION_DISPLAY=":$display" QUORVANE_SESSION_OWNER=$$
  unset XAUTHORITY

  # The watchdog ends the session when the script is killed without a chance to; a hang-up
  # or Ctrl-C leaves the script its own clean-up, and the session's end stops the watchdog.
  # Stopped, it takes its nap with it: nothing of the session outlives the session's end.
  (
    trap '' HUP INT
    trap '[ -z "$nap" ] || kill "$nap" 2>/dev/null; exit 0' TERM
    nap=""
    while kill -0 $$ 2>/dev/null; do
      sleep 1 &
      nap=$!
      wait "$nap"
      nap=""
    done
    quorvane_session_end "$quorvane_xvfb_pid"
    rm -rf "$quorvane_session_lock"
  ) </dev/null >/dev/null 2>&1 &
  quorvane_watchdog_pid=$!
  echo "$$ $quorvane_watchdog_pid ${0##*/}" >"$quorvane_session_lock/owner"

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "making the Wine prefix $WINEPREFIX (once; docs/figures.md gives its time and size) ..."
    local log="$QUORVANE_BUILD/wineboot.log"
    # In the background, so that Ctrl-C is answered at once.
    quorvane_making_prefix=1
    setsid wineboot -i </dev/null >"$log" 2>&1 &
    if ! wait $!; then
      tail -20 "$log" >&2
      echo "wineboot could not make the Wine prefix (its output above, all of it in $log);" \
        "on a machine that runs no 32-bit programs, scripts/prepare-32bit says what is missing" >&2
      wineserver -k >/dev/null 2>&1 || true
      rm -rf "$WINEPREFIX"
      quorvane_making_prefix=""
      exit 1
    fi
    wineserver -w # the server that made the prefix must be gone before a persistent one starts
    # Xvfb has no window manager: Wine would wait two seconds for one at every closed
    # window unless its windows are unmanaged. The menu builder stays off in the prefix
    # itself, also for a test that sets its own DLL overrides.
    wine_tool reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wine_tool reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /t REG_SZ /d '' /f >/dev/null 2>&1
    wineserver -w
    quorvane_making_prefix=""
  fi
  # Persistent, but not for ever: a server nobody uses ends after five minutes.
  wineserver -p300 </dev/null >/dev/null 2>&1 || true
  # Start Wine's own background services now, outside any test: started from within a
  # test they would hold the test runner's output pipe open, and it would wait for ever.
  wineboot </dev/null >/dev/null 2>&1 || true
}

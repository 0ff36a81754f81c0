#!/usr/bin/env bash
# Sourced by the scripts that run Windows programs: the project's own Wine prefix
# (build/wineprefix, whatever WINEPREFIX the caller has: a user's own prefix and its running
# programs are never touched), one persistent Wine server for the whole run (without it
# every program pays seconds of server start-up), and an Xvfb display for the message
# boxes. Both stop when the calling script ends, if it started them: only this prefix's
# server is ended, and one a calling script started is left to that script.
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
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Where scripts/prepare-32bit registered QEMU for 32-bit programs (machines whose kernel runs
# none), every 32-bit Wine process is emulated; bounding the emulated address space makes
# it start in seconds instead of most of a minute. QUORVANE_EMULATED tells the scripts to
# say so. Nothing changes where 32-bit programs run natively.
if head -1 "${QUORVANE_BINFMT:-/proc/sys/fs/binfmt_misc}/qemu-i386" 2>/dev/null | grep -qx enabled; then
  export QEMU_RESERVED_VA=0x81000000 QUORVANE_EMULATED=1
else
  export QUORVANE_EMULATED=""
fi

quorvane_xvfb_pid=""
quorvane_server_started=""

wine_session_stop() {
  if [ -n "$quorvane_server_started" ]; then
    wineserver -k >/dev/null 2>&1 || true
    quorvane_server_started=""
  fi
  if [ -n "$quorvane_xvfb_pid" ]; then
    kill "$quorvane_xvfb_pid" >/dev/null 2>&1 || true
    wait "$quorvane_xvfb_pid" 2>/dev/null || true
    quorvane_xvfb_pid=""
  fi
}

wine_session_start() {
  mkdir -p "$QUORVANE_BUILD"
  if [ -z "${DISPLAY:-}" ]; then
    local display
    for display in $(seq 91 140); do
      [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] && continue
      Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      quorvane_xvfb_pid=$!
      export DISPLAY=":$display"
      break
    done
    local tries=0
    until [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] || [ $tries -ge 50 ]; do sleep 0.1; tries=$((tries + 1)); done
  fi
  trap wine_session_stop EXIT
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "making the Wine prefix $WINEPREFIX (once; 25 to 60 s and about 1.3 GB) ..."
    local log="$QUORVANE_BUILD/wineboot.log"
    if ! wineboot -i >"$log" 2>&1; then
      tail -20 "$log" >&2
      echo "wineboot could not make the Wine prefix (its output above, all of it in $log);" \
        "on a machine that runs no 32-bit programs, scripts/prepare-32bit says what is missing" >&2
      rm -rf "$WINEPREFIX"
      exit 1
    fi
    wineserver -w # the server that made the prefix must be gone before a persistent one starts
    # Xvfb has no window manager: Wine would wait two seconds for one at every closed
    # window unless its windows are unmanaged.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
  fi
  # Fails when this prefix's server already runs, started by a script that called this one.
  if wineserver -p </dev/null >/dev/null 2>&1; then
    quorvane_server_started=1
  fi
  # Start Wine's own background services now, outside any test: started from within a
  # test they would hold the test runner's output pipe open, and it would wait for ever.
  wineboot </dev/null >/dev/null 2>&1 || true
}

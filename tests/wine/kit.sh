#!/bin/sh
# The test kit as a release engineer runs it, here under Wine: unpacked into a folder of its
# own in the prefix and started through Wine's command interpreter. As typed, with no
# environment of its own: everything passes, the Wine-only gaps skipped and named. Then the
# starts that give Wine what some cases need (DLL overrides for the plants, code pages 932
# and 65001), a test that fails and crashes, a product's entry that makes it refuse, and a
# user without elevation whom it refuses. The prefix's registry and files are left as found.
# Usage: kit.sh KIT.zip KIT-FOLDER-NAME LAUNCH-DRIVER PLANT-OVERRIDES   (in a Wine session)
set -eu
zip=$1 name=$2 driver=$3 plants=$4
fail() { echo "kit.sh: $*"; exit 1; }
run=$WINEPREFIX/drive_c/QuorvaneKitRun
kit=$run/$name
work=$(mktemp -d)
key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TTAL!UninstallKey'
# Wine's own 64-bit reg.exe, started directly: quick, also where 32-bit programs are emulated.
reg() { /usr/lib/wine/wine64 reg "$@" >/dev/null 2>&1; }
finish() {
  status=$?
  trap - EXIT INT TERM
  if [ "${interrupted:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true # the kit's programs, and whatever they started
    [ ! -f "$kit/quorvane_tests.exe" ] || (cd "$kit" && wine quorvane_tests.exe --clean-up >/dev/null 2>&1) || true
    echo "kit.sh: interrupted; the kit's programs were ended and what they made removed"
  fi
  reg delete "$key" /f /reg:32 || true
  rm -rf "$run" "$work"
  exit "$status"
}
trap finish EXIT
trap 'interrupted=1; exit 130' INT TERM

# What the kit must leave as it found it: the prefix's registry in both views and its files.
state() {
  for view in 32 64; do
    reg export 'HKLM\Software' "$work/hklm-$view.reg" /reg:$view /y
    reg export 'HKCU\Software' "$work/hkcu-$view.reg" /reg:$view /y
  done
  (cd "$WINEPREFIX/drive_c" && find . -path ./QuorvaneKitRun -prune -o -print | sort)
  # Wine keeps its own settings of the moment under HKCU\Software\Wine, and rewrites its font
  # lists for the code page of each start.
  for file in "$work"/*.reg; do iconv -f UTF-16 -t UTF-8 "$file" | tr -d "\r"; done |
    awk '/^\[/ { wine = index($0, "[HKEY_CURRENT_USER\\Software\\Wine") == 1 || /\\Font[A-Za-z]*\]$/ } !wine' 
}
rm -rf "$run"
mkdir -p "$run"
(cd "$run" && cmake -E tar xf "$zip")
[ -f "$kit/run-tests.cmd" ] || fail "the kit holds no $name/run-tests.cmd"
state >"$work/before"
unchanged() { # what: the prefix as the kit found it
  state >"$work/after"
  diff "$work/before" "$work/after" | head -20 >"$work/changes" || true
  [ ! -s "$work/changes" ] || { cat "$work/changes"; fail "$1 left the prefix's registry or files changed"; }
}

# Starts the kit as a person would: run-tests.cmd through Wine's command interpreter.
start() { # log expected-status arguments...
  log=$work/$1 expected=$2
  shift 2
  status=0
  (cd "$kit" && wine cmd /c run-tests.cmd "$@") >"$log" 2>&1 || status=$?
  tr -d '\r' <"$log" >"$log.txt"
  [ "$status" = "$expected" ] || { cat "$log.txt"; fail "run-tests.cmd $* exits $status, not $expected"; }
}
summary() { # log expected-summary-pattern
  last=$(tail -1 "$work/$1.txt")
  echo "$last" | grep -Eqx "$2" || { cat "$work/$1.txt"; fail "$1: the kit ended with '$last', not /$2/"; }
}
code_page() { # log code-page: the run took place in that code page, as its report says
  grep -q "code_page=\"$2\"" "$kit/report.xml" || fail "$1: the report names no code page $2"
}

(unset WINEDLLOVERRIDES; start plain 0)
summary plain '[1-9][0-9]* passed, 0 failed, [1-9][0-9]* skipped'
for reason in 'under Wine the plants load only where WINEDLLOVERRIDES names them' \
              "Wine's task scheduler does not run a task as SYSTEM in session 0"; do
  grep -q "$reason" "$work/plain.txt" || fail "a Wine-only gap is not named: $reason"
done
grep -q 'windows_version="' "$kit/report.xml" || fail "the report records no Windows version"
WINEDLLOVERRIDES="$plants;winemenubuilder.exe=d" start plants 0 --gtest_filter=EndToEnd.NoDll*
summary plants '1 passed, 0 failed, 0 skipped'
LC_ALL=ja_JP.UTF-8 start cp932 0 --gtest_filter=EndToEnd.FolderNames*:EndToEnd.AProgramInAFolder*
summary cp932 '2 passed, 0 failed, 0 skipped'
code_page cp932 932
LC_ALL=hi_IN.UTF-8 start cp65001 0 --gtest_filter=EndToEnd.FolderNames*:EndToEnd.AProgramInAFolder*:Platform.*
summary cp65001 '[0-9]+ passed, 0 failed, 0 skipped'
code_page cp65001 65001

# A test that leaves an entry, a folder and a file behind and crashes: the kit fails, says so,
# and takes them away.
start crash 1 --gtest_also_run_disabled_tests --gtest_filter=Kit.*
summary crash '0 passed, 1 failed, 0 skipped'
unchanged "a crashing test"

# Refusals, before anything is changed: a product's entry (left as it was), no elevation.
reg add "$key" /v UninstallString /t REG_SZ /d 'C:\Trelvo\UN.exe /UNINSTALL' /f /reg:32
start refused-entry 2
grep -q 'refused: HKLM\\SOFTWARE\\.*\\TTAL!UninstallKey exists in the 32-bit view' "$work/refused-entry.txt" ||
  fail "the refusal does not name the entry"
/usr/lib/wine/wine64 reg query "$key" /v UninstallString /reg:32 2>/dev/null | grep -q 'C:\\Trelvo\\UN.exe /UNINSTALL' ||
  fail "the refusal changed the entry"
reg delete "$key" /f /reg:32
printf 'cmd /c run-tests.cmd' >"$kit/command-line.txt"
(cd "$kit" && wine "$driver" --unelevated 'C:\windows\system32\cmd.exe' command-line.txt) >"$work/unelevated" 2>&1 || true
grep -q "refused: it needs an administrator's command prompt" "$work/unelevated" &&
  grep -q '^exit code: 2 ' "$work/unelevated" || { cat "$work/unelevated"; fail "a user without elevation was not refused"; }
rm "$kit/command-line.txt"

unchanged "the kit"
echo "kit: $(tail -1 "$work/plain.txt") as typed; plants, 932 and 65001 passed; a crashing test cleaned up;" \
  "refused with a product's entry and without elevation; the prefix left as found"

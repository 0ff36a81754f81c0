#!/bin/sh
# The test kit as a release engineer runs it, here under Wine through scripts/kit: as typed,
# with no environment of its own, everything passes, the Wine-only gaps skipped and named.
# Then the starts that give Wine what some cases need (DLL overrides for the plants, code
# pages 932 and 65001), a test that fails and crashes, a product's entry that makes it
# refuse, and a user without elevation whom it refuses. The prefix's registry and files are
# left as found.
# Usage: kit.sh PLANT-OVERRIDES   (in a Wine session, from the checkout's top folder)
set -eu
plants=$1
fail() { echo "kit.sh: $*"; exit 1; }
work=$(mktemp -d)
key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TTAL!UninstallKey'
# Wine's own 64-bit reg.exe, started directly: quick, also where 32-bit programs are emulated.
reg() { /usr/lib/wine/wine64 reg "$@" >/dev/null 2>&1; }
trap 'reg delete "$key" /f /reg:32 || true; rm -rf "$work"' EXIT
trap 'echo "kit.sh: interrupted"; exit 130' INT TERM

# What the kit must leave as it found it: the prefix's registry in both views and its files.
state() {
  for view in 32 64; do
    reg export 'HKLM\Software' "$work/hklm-$view.reg" /reg:$view /y
    reg export 'HKCU\Software' "$work/hkcu-$view.reg" /reg:$view /y
  done
  # scripts/kit unpacks into C:\QuorvaneKitRun and removes it, also what an interrupted run left.
  (cd "$WINEPREFIX/drive_c" && find . -path ./QuorvaneKitRun -prune -o -print | sort)
  # Wine keeps its own settings of the moment under HKCU\Software\Wine, and rewrites its font
  # lists for the code page of each start.
  for file in "$work"/*.reg; do iconv -f UTF-16 -t UTF-8 "$file" | tr -d "\r"; done |
    awk '/^\[/ { wine = index($0, "[HKEY_CURRENT_USER\\Software\\Wine") == 1 || /\\Font[A-Za-z]*\]$/ } !wine'
}
state >"$work/before"
unchanged() { # what: the prefix as the kit found it
  state >"$work/after"
  diff "$work/before" "$work/after" | head -20 >"$work/changes" || true
  [ ! -s "$work/changes" ] || { cat "$work/changes"; fail "$1 left the prefix's registry or files changed"; }
}
# scripts/kit with its arguments; its output in $work/LOG, its exit code expected.
start() { # log expected-status arguments...
  log=$work/$1 expected=$2
  shift 2
  status=0
  scripts/kit "$@" >"$log" 2>&1 || status=$?
  [ "$status" = "$expected" ] || { cat "$log"; fail "scripts/kit $* exits $status, not $expected"; }
}
summary() { # log expected-summary-pattern [code-page]: the kit's last line, and the report's code page
  last=$(tail -1 "$work/$1")
  echo "$last" | grep -Eqx "$2" || { cat "$work/$1"; fail "$1: the kit ended with '$last', not /$2/"; }
  [ -z "${3:-}" ] || grep -q "code_page=\"$3\"" build/kit-report.xml || fail "$1: the report names no code page $3"
}

# Where 32-bit programs are emulated, Wine's shell start now and then never returns to a
# 32-bit program that has run many tests before (QEMU; the test alone passes). The 64-bit
# build's platform tests, native there too, run it.
shell=""
[ -z "${QUORVANE_EMULATED:-}" ] || shell="Platform.StartsThroughTheShell*"
(unset WINEDLLOVERRIDES; start plain 0 ${shell:+"--gtest_filter=*-$shell"})
summary plain '[1-9][0-9]* passed, 0 failed, [1-9][0-9]* skipped' 1252
for reason in 'under Wine the plants load only where WINEDLLOVERRIDES names them' \
              "Wine's task scheduler does not run a task as SYSTEM in session 0"; do
  grep -q "$reason" "$work/plain" || fail "a Wine-only gap is not named: $reason"
done
grep -q 'windows_version="6\.1\.7601\.' build/kit-report.xml || fail "the report records no Windows version"
WINEDLLOVERRIDES="$plants;winemenubuilder.exe=d" start plants 0 --gtest_filter=EndToEnd.NoDll*
summary plants '1 passed, 0 failed, 0 skipped'
LC_ALL=ja_JP.UTF-8 start cp932 0 --gtest_filter=EndToEnd.FolderNames*:EndToEnd.AProgramInAFolder*
summary cp932 '2 passed, 0 failed, 0 skipped' 932
LC_ALL=hi_IN.UTF-8 start cp65001 0 "--gtest_filter=EndToEnd.FolderNames*:EndToEnd.AProgramInAFolder*:Platform.*${shell:+-$shell}"
summary cp65001 '[0-9]+ passed, 0 failed, 0 skipped' 65001

# A test that leaves an entry and a folder behind and crashes: the kit fails, says so, and
# takes them away.
start crash 1 --gtest_also_run_disabled_tests --gtest_filter=*LeavesWhatItMadeAndCrashes
summary crash '0 passed, 1 failed, 0 skipped'
unchanged "a crashing test"

# Refusals, before anything is changed: a product's entry (left as it was), no elevation.
reg add "$key" /v UninstallString /t REG_SZ /d 'C:\Trelvo\UN.exe /UNINSTALL' /f /reg:32
start refused-entry 2
grep -q 'refused: HKLM\\SOFTWARE\\.*\\TTAL!UninstallKey exists in the 32-bit view' "$work/refused-entry" ||
  fail "the refusal does not name the entry"
/usr/lib/wine/wine64 reg query "$key" /v UninstallString /reg:32 2>/dev/null | grep -q 'C:\\Trelvo\\UN.exe /UNINSTALL' ||
  fail "the refusal changed the entry"
reg delete "$key" /f /reg:32
start unelevated 2 --unelevated
grep -q "refused: it needs an administrator's command prompt" "$work/unelevated" ||
  { cat "$work/unelevated"; fail "a user without elevation was not refused"; }

unchanged "the kit"
# The closing line, also where the test command reads it (CTest keeps a passing test's output to itself).
echo "kit: $(tail -1 "$work/plain") as typed${shell:+ (but $shell, emulated)}; plants, 932 and 65001 passed;" \
  "a crashing test cleaned up; refused with a product's entry and without elevation; the prefix left as found" |
  tee build/kit-summary.txt

#!/bin/sh
# The test kit through scripts/kit as a release engineer runs it: as typed, with what some cases need, a crash,
# an ended prompt, a link in its folder, others' things under its names, an open folder, no elevation, and a fresh
# 32-bit prefix (one registry view). The prefix is left as found.
# Usage: kit.sh PLANT-OVERRIDES   (in a Wine session, from the checkout's top folder)
set -eu
plants=$1
fail() { echo "kit.sh: $*" >&2; exit 1; } # also from a step whose output goes to a file
work=$(mktemp -d "$PWD/build/kit.XXXXXX")
key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TTAL!UninstallKey' tests='HKLM\SOFTWARE\QuorvaneTests'
folder="$WINEPREFIX/drive_c/Program Files (x86)/Quorvane Test Kit" prefix32=$work/win32/wineprefix
# Wine's own 64-bit reg.exe, started directly: quick, also where 32-bit programs are emulated.
reg() { answer=$(/usr/lib/wine/wine64 reg "$@" 2>&1) || { echo "kit.sh: reg $*: $answer" >&2; return 1; }; }
# After a failure (not Ctrl-C) the kit's clean-up, then what it cannot remove: what was planted, its folder with a link.
trap 'failed=$?; [ -z "${making32:-}" ] || { kill -KILL -"$making32"; wait "$making32"; } 2>/dev/null || true
      case $failed in 0 | 130) ;; *) scripts/kit --clean-up >&2 || true ;; esac
      [ -z "${planted:-}" ] || { reg delete "$key" /f /reg:64; reg delete "$tests" /f /reg:64; } 2>/dev/null || true
      [ -z "${planted:-}" ] && [ ! -f "$folder/made by the Quorvane test kit.txt" -a ! -f "$folder/read-only" ] ||
        rm -rf "$folder"
      rm -rf "$WINEPREFIX/drive_c/QuorvaneKitKept"
      WINEPREFIX="$prefix32" wineserver -k 2>/dev/null || true
      rm -rf "$work"' EXIT
trap 'echo "kit.sh: interrupted"; exit 130' INT TERM

# 32-bit Windows' prefix is made while the kit runs in the other: the kit starts one program at a time.
mkdir -p "$work/win32"
# No crash debugger, which waits for ever: a process that crashes while the prefix is made (seen under QEMU) just ends;
# wineboot's own crash fails the wait below, another one the runs in that prefix.
WINEPREFIX="$prefix32" WINEARCH=win32 WINEDLLOVERRIDES=winedbg.exe=d setsid sh -c 'wineboot -i && wineserver -w' \
  </dev/null >"$work/boot32.log" 2>&1 &
making32=$!

# What the kit must leave as found: the registry in both views (the 64-bit export holds Wow6432Node), the files.
state() {
  for hive in 'HKLM\Software' 'HKCU\Software' 'HKCU\Environment'; do
    reg export "$hive" "$work/${hive%%\\*}-${hive#*\\}.reg" /reg:64 /y || exit 1; done
  # scripts/kit's own C:\QuorvaneKitRun it removes itself.
  (cd "$WINEPREFIX/drive_c" && find . -path ./QuorvaneKitRun -prune -o -path ./QuorvaneKitKept -prune -o -print | sort)
  # Wine keeps its settings of the moment under HKCU\Software\Wine, and its font lists follow the code page.
  for file in "$work"/*.reg; do iconv -f UTF-16 -t UTF-8 "$file" | tr -d "\r"; done |
    awk '/^\[/ { wine = index($0, "[HKEY_CURRENT_USER\\Software\\Wine") == 1 || /\\Font[A-Za-z]*\]$/ } !wine'
}
state >"$work/before"
unchanged() { # what [state]: the prefix as the kit found it, or as that state recorded it
  state >"$work/after"
  diff "$work/${2:-before}" "$work/after" >"$work/diff" || { head -20 "$work/diff"; fail "$1 changed the prefix"; }
}
start() { # log expected-status arguments...: scripts/kit with them, its output in $work/LOG
  log=$work/$1 expected=$2 status=0 && shift 2
  scripts/kit "$@" >"$log" 2>&1 || status=$?
  [ "$status" = "$expected" ] || { cat "$log"; fail "scripts/kit $* exits $status, not $expected"; }
}
said() { # log pattern: a line of the kit's output
  grep -q "$2" "$work/$1" || { cat "$work/$1"; fail "$1 does not say: $2"; }
}
summary() { # log summary-pattern report-pattern ["test: start of its reason"]...: last line, report, and skips: as expected
  last=$(tail -1 "$work/$1") log=$1 counts=$2 report=$3 && shift 3
  skips=$(printf '%s\n' "$@" | awk 'NR == FNR { if ($0 != "") want[$1] = $0; next } /: Skipped$/ { getline why }
    /^\[  SKIPPED \]/ { got = $4 ": " why; why = ""; part = want[$4 ":"]; delete want[$4 ":"] # where expected, never empty
      printf part == "" ? "\n  a new skip: %s" : index(got, part) == 1 ? "" : "\n  a skip for another reason: %s, not: %s", got, part }
    END { for (test in want) printf "\n  no skip of %s", want[test] }' - "$work/$log")
  [ -z "$skips" ] || fail "$log: the skips are not those expected:$skips"
  echo "$last" | grep -Eqx "$counts" || { cat "$work/$log"; fail "$log: the kit ended with '$last', not /$counts/"; }
  [ -z "$report" ] || grep -q "$report" build/kit-report.xml || fail "$log: the report records no $report"
}

# Emulated, Wine's shell start now and then never returns to a 32-bit program that has run many tests before
# (the test alone passes); the 64-bit build's platform tests run it. Natively it runs, and skips, here.
ascii="Wine names a file outside ASCII only on a host whose locale is UTF-8" shell="" ours=Platform.StartsThroughTheShell
[ -z "${QUORVANE_EMULATED:-}" ] || shell="$ours*" ours=""
folders="EndToEnd.FolderNames*"
(unset WINEDLLOVERRIDES LANG LC_ALL; start plain 0 ${shell:+"--gtest_filter=*-$shell"})
summary plain '[1-9][0-9]* passed, 0 failed, [1-9][0-9]* skipped' 'windows_version="6\.1\.7601\.[0-9]*" windows_bits="64" code_page="1252"' \
  "${ours:+${ours}TheFileAPlainStartWouldStart: $ascii}" "EndToEnd.FolderNamesAndArgumentsTheCodePageCannotHold: $ascii" \
  "EndToEnd.NoDllPlantedBesideTheLauncherIsLoadedOnAnyPath: under Wine the plants load only where WINEDLLOVERRIDES" \
  "EndToEnd.AsSystemInSessionZeroItShowsNoBoxAndLeavesItsLog: Wine's task scheduler does not run a task as SYSTEM" \
  "EndToEnd.WithCtrlHeldItShowsEachStepAndTheInstallerGetsTheDefaultErrorMode: Wine gives a new thread no key held" \
  "Kit.RemovesALinkInItsFolderNeverWhatItLeadsTo: Wine makes no junction nor directory link"
WINEDLLOVERRIDES="$plants;winemenubuilder.exe=d" LC_ALL=C.UTF-8 \
  start names 0 "--gtest_filter=EndToEnd.NoDll*:$folders:Platform.StartsThroughTheShell*${shell:+-$shell}"
summary names '[0-9]+ passed, 0 failed, 0 skipped' 'code_page="1252"'

# A test that leaves the kit's things and crashes: the kit fails and takes them away. One that ends its prompt
# too: the next start says so, removes them first and runs.
start crash 1 --gtest_also_run_disabled_tests --gtest_filter=*LeavesWhatItMadeAndCrashes
summary crash '0 passed, 1 failed, 0 skipped' ""
unchanged "a crashing test"
QUORVANE_END_PROMPT=1 start ended 3 --gtest_also_run_disabled_tests --gtest_filter=*LeavesWhatItMadeAndCrashes
# Its clean-up: refused without elevation. A host's link in its folder (Wine shows it as a link and cannot
# remove it): what it leads to stays, and the clean-up names the folder it could not remove.
start unelevated-clean-up 2 --unelevated --clean-up
said unelevated-clean-up "refused: it needs an administrator's command prompt"
mkdir "$work/target" && echo ours >"$work/target/ours.txt" && ln -s "$work/target" "$folder/link" ||
  fail "no link could be put in $folder, which the test that crashed leaves"
start link 1 --clean-up
said link "removed HKLM.*TTAL!UninstallKey (32-bit view), the kit's"
said link "could not remove C:.*Quorvane Test Kit, the kit's: Windows error [0-9]"
[ "$(cat "$work/target/ours.txt")" = ours ] || fail "the clean-up went through a link"
rm "$folder/link" && : >"$folder/read-only" && chmod a-w "$folder/read-only" # the next start removes it too
LC_ALL=ja_JP.UTF-8 start cp932 0 "--gtest_filter=$folders"
said cp932 'an earlier run was interrupted; removing what it left'
summary cp932 '1 passed, 0 failed, 0 skipped' 'code_page="932"'
LC_ALL=hi_IN.UTF-8 start cp65001 0 "--gtest_filter=$folders:Platform.*${shell:+-$shell}"
summary cp65001 '[0-9]+ passed, 0 failed, 0 skipped' 'code_page="65001"'

# Refusals, changing nothing: others' things under the kit's names, which the clean-up leaves too; an open kit
# folder; no elevation. Some in a kit unpacked here with an earlier report and work\, which stay as they were.
planted=1 # others' things under the kit's names, which the trap removes only while they are planted
reg add "$key" /v UninstallString /t REG_SZ /d 'C:\Trelvo\UN.exe /UNINSTALL' /f /reg:64
reg add "$tests" /v Theirs /t REG_SZ /d theirs /f /reg:64
mkdir "$folder" && echo theirs >"$folder/theirs.txt"
state >"$work/theirs"
zip=$(realpath build/mingw-i686/QuorvaneTestKit-*.zip) kept=$WINEPREFIX/drive_c/QuorvaneKitKept
mkdir "$kept" && (cd "$kept" && cmake -E tar xf "$zip")
kept=$(echo "$kept"/QuorvaneTestKit-*)
mkdir -p "$kept/work/temp" && echo earlier | tee "$kept/report.xml" >"$kept/work/temp/left"
direct() { # log expected-status [argument]: run-tests.cmd started in that kit
  status=0
  (cd "$kept" && /usr/lib/wine/wine64 cmd /c run-tests.cmd ${3:+"$3"}) >"$work/$1" 2>&1 || status=$?
  [ "$status" = "$2" ] && [ "$(cat "$kept/report.xml" "$kept/work/temp/left")" = "$(printf 'earlier\nearlier')" ] ||
    { cat "$work/$1"; fail "run-tests.cmd${3:+ $3} exits $status, not $2, or changed the earlier report or work\\"; }
}
direct refused-theirs 2
direct usage 0 '/?'
said usage '^Usage: run-tests.cmd'
# A work folder that a variable names, not the kit's own, is never removed: here, the kit's parent.
(cd "$kept" && QUORVANE_KIT_WORK='C:\QuorvaneKitKept' /usr/lib/wine/wine64 cmd /c quorvane_tests.exe --clean-up \
  >"$work/elsewhere" 2>&1) && fail "a clean-up with work\\ named elsewhere ran"
said elsewhere "refused: QUORVANE_KIT_WORK names C:.QuorvaneKitKept, not this kit's own"
chmod o+w "$kept"
direct refused-door 2
rm -rf "$WINEPREFIX/drive_c/QuorvaneKitKept"
said refused-door "refused: C:.*QuorvaneTestKit-.* can be changed by .*Everyone, not only by administrators and SYSTEM"
start clean-up 0 --clean-up
for theirs in 'HKLM\\SOFTWARE\\.*\\TTAL!UninstallKey (64-bit view)' 'HKLM\\SOFTWARE\\QuorvaneTests (64-bit view)' \
              'C:.*\\Quorvane Test Kit'; do
  said refused-theirs "refused: $theirs exists"
  said clean-up "left $theirs: it does not bear the kit's mark"
done
unchanged "a refusal or the clean-up" theirs
for theirs in "$key" "$tests"; do reg delete "$theirs" /f /reg:64; done
rm -r "$folder"; planted=""
start unelevated 2 --unelevated
said unelevated "refused: it needs an administrator's command prompt"
unchanged "the kit"

# 32-bit Windows: one registry view, no host locale; the tests whose expectations follow from the view.
wait "$making32" || { tail "$work/boot32.log"; fail "no 32-bit prefix"; }
making32=""
WINEPREFIX="$prefix32" wineserver -p60
(unset LANG LC_ALL; QUORVANE_BUILD=$work/win32 start one-view 0 \
  --gtest_filter=EndToEnd.RunsTheFirstUsable*:EndToEnd.TheSupportPages*:EndToEnd.StartsWhatTheMachines*)
summary one-view '2 passed, 0 failed, 1 skipped' 'windows_bits="32"' \
  "EndToEnd.TheSupportPagesExampleRunsAreWhatTheLauncherWrites: the page's second run needs a 64-bit view"

# Also where the test command reads it: CTest keeps a passing test's output to itself.
echo "kit: $(tail -1 "$work/plain") as typed${shell:+ (but $shell, emulated)}; plants, 932, 65001, crash, ended prompt," \
  "refusals and clean-up as they must be; prefix left as found; 32-bit: $(tail -1 "$work/one-view")" | tee build/kit-summary.txt

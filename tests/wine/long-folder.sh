#!/bin/sh
# A launcher in a folder of over 260 characters names that folder's setup.cfg (started from the Unix side:
# Windows' process start refuses such a path).
# Usage: long-folder.sh BIN-FOLDER
set -eu
bin=$1 work=$1/../long-folder dir=$1/../long-folder
rm -rf "$work"
while [ ${#dir} -le 300 ]; do dir=$dir/kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk; done
mkdir -p "$dir"
cp "$bin/Quorvane.exe" "$dir/"
printf 'the long folder' >"$dir/setup.cfg"
cp "$bin/stand_in_installer.exe" "$work/RARAVIRO.exe"
# Wine's own 64-bit tools, started directly: quick, also where 32-bit programs are emulated.
tool() { /usr/lib/wine/wine64 "$@"; }
key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TrelvoHeddle!UninstallKey'
# Its entry carries the kit's mark; a product's own entry of that name is left alone.
! tool reg query "$key" /reg:32 >/dev/null 2>&1 || { echo "long-folder.sh: $key is there, not the tests'"; exit 1; }
tool reg add "$key" /v QuorvaneTestKit /t REG_SZ /d "made by the tests" /f /reg:32 >/dev/null
tool reg add "$key" /v UninstallString /t REG_SZ /d "$(tool winepath.exe -w "$work/RARAVIRO.exe") /UNINSTALL" /f /reg:32 >/dev/null
trap 'tool reg delete "$key" /f /reg:32 >/dev/null 2>&1; rm -rf "$work"' EXIT
QUORVANE_REPORT=$(tool winepath.exe -w "$work/report.txt") timeout 300 wine "$dir/Quorvane.exe" /S
grep -qx 'setup.cfg=the long folder' "$work/report.txt" || { cat "$work/report.txt"; exit 1; }
echo "long folder (${#dir} characters): the installer read the setup.cfg there"

#!/bin/sh
# The launcher in a folder whose path is longer than 260 bytes points the installer at the
# setup.cfg in that very folder. Windows' own process start refuses such a path, so the
# launcher is started through Wine's loader from the Unix side.
# Usage: long-folder.sh BIN-FOLDER WORK-FOLDER
set -eu
bin=$1 work=$2
rm -rf "$work"
dir=$work
while [ ${#dir} -le 300 ]; do dir=$dir/kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk; done
mkdir -p "$dir" "$work/product"
cp "$bin/Quorvane.exe" "$dir/"
cp "$bin/uninstaller_1239.exe" "$work/product/RARAVIRO.exe"

key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TrelvoHeddle!UninstallKey'
uninstaller=$(winepath -w "$work/product/RARAVIRO.exe")
wine reg add "$key" /v UninstallString /t REG_SZ /d "$uninstaller /UNINSTALL" /f /reg:32 >/dev/null
trap 'wine reg delete "$key" /f /reg:32 >/dev/null 2>&1; rm -rf "$work"' EXIT

QUORVANE_REPORT=$(winepath -w "$work/report.txt") timeout 60 wine "$dir/Quorvane.exe" /S
# winepath itself stops at 260 bytes: convert the short part and add the rest.
long_dir=$(winepath -w "$work")$(printf '%s' "${dir#"$work"}" | tr '/' '\\')
expected="cmdline=$uninstaller  /S /config=\"$long_dir\\setup.cfg\""
actual=$(grep '^cmdline=' "$work/report.txt" || true)
if [ "$actual" != "$expected" ]; then
  printf 'expected: %s\nactual:   %s\n' "$expected" "$actual"
  exit 1
fi
echo "long folder (${#dir} bytes): config path names it whole"

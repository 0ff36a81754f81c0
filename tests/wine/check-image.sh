#!/bin/sh
# The shipped executable is a GUI program for the expected machine that imports only the
# system's known DLLs: no C++ runtime, libgcc or winpthread DLL beside it, and nothing the
# loader would look for in the launcher's own folder first (version.dll among them). user32
# is loaded at run time from the system folder, so it is not among the imports either.
# Usage: check-image.sh OBJDUMP PROCESSOR EXE
set -eu
objdump=$1 processor=$2 exe=$3
headers=$("$objdump" -p "$exe")
fail=0

case $processor in
  i686) machine=014c ;;
  x86_64) machine=8664 ;;
  *) echo "unknown processor $processor"; exit 1 ;;
esac
echo "$headers" | grep -qi "^Magic.*" || { echo "no PE header"; exit 1; }
"$objdump" -f "$exe" | grep -q "pei-" || { echo "not a PE image"; fail=1; }
echo "$headers" | grep -Eq "^Subsystem[[:space:]]+00000002" || { echo "not a Windows GUI program"; fail=1; }
[ "$(od -An -tx1 -j "$(( $(od -An -tu4 -j 60 -N4 "$exe") + 4 ))" -N2 "$exe" | tr -d ' \n')" = "$(echo $machine | sed 's/\(..\)\(..\)/\2\1/')" ] \
  || { echo "machine is not $processor"; fail=1; }

imports=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports: $(echo $imports)"
[ -n "$imports" ] || { echo "no imports found"; fail=1; }
for dll in $imports; do
  case $dll in
    kernel32.dll|advapi32.dll|msvcrt.dll) ;;
    *) echo "imports $dll, which is not a known DLL of the system"; fail=1 ;;
  esac
done
[ $fail = 0 ] && echo "image ok"
exit $fail

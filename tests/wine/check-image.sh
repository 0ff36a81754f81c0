#!/bin/sh
# The shipped executable: a GUI program with the release flags, importing only known DLLs, naming no ANSI call that
# converts with best fit, carrying its version resource (its version is proven end to end) and manifest.
# Usage: check-image.sh OBJDUMP PROCESSOR EXE
set -eu
objdump=$1 processor=$2 exe=$3
tools=${objdump%objdump}
export LC_ALL=C
fail() { echo "$exe: $*"; exit 1; }
headers=$("$objdump" -p "$exe")
printf "%s\n" "$headers" | grep -Eq "^Subsystem[[:space:]]+00000002" || fail "not a Windows GUI program"
"$objdump" -f "$exe" | grep -q "file format pei-$(echo "$processor" | sed 's/i686/i386/; s/_/-/')" || fail "not $processor"
# The header names the oldest Windows the launcher runs on, Vista (6.0): an older one refuses it plainly.
for field in MajorOSystemVersion=6 MajorSubsystemVersion=6 MinorOSystemVersion=0 MinorSubsystemVersion=0; do
  printf "%s\n" "$headers" | grep -Eq "^${field%=*}[[:space:]]+${field#*=}$" || fail "${field%=*} is not ${field#*=} (Windows Vista)"
done
imports=$(printf "%s\n" "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
[ "$imports" = "advapi32.dll kernel32.dll msvcrt.dll " ] || fail "imports $imports"
best_fit=$("${tools}strings" -a "$exe" | grep -owE 'Get(CommandLine|ModuleFileName|CurrentDirectory|FullPathName|'\
'ShortPathName|LongPathName|TempPath2?|SystemDirectory|WindowsDirectory|EnvironmentVariable|UserObjectInformation)A|'\
'GetEnvironmentStringsA?|SearchPathA|Find(First|Next)FileA|WNetGet(UniversalName|Connection)A|'\
'ExpandEnvironmentStringsA|Reg(QueryValue(Ex)?|GetValue|EnumValue|EnumKey(Ex)?)A' | sort -u | tr '\n' ' ' || true)
[ -z "$best_fit" ] || fail "names ANSI calls that convert with best fit:" $best_fit

size=$(wc -c <"$exe")
[ "$processor" != i686 ] || [ "$size" -le 131072 ] || fail "$size bytes, more than 131072"

# Terminal server aware (0x8000), NX (0x100), ASLR (0x40); 32-bit NO_SEH (0x400), 64-bit high-entropy ASLR (0x20).
flags=$(printf "%s\n" "$headers" | sed -n 's/^DllCharacteristics[[:space:]]*//p')
case $processor in i686) want=00008540 ;; *) want=00008160 ;; esac
[ "$flags" = "$want" ] || fail "DllCharacteristics $flags, not $want"
# NO_SEH holds only while no code registers a handler at fs:[0], also through a register (the linker's exception
# tables in the code section decode as noise, with scaled indexes no such access uses).
[ "$processor" != i686 ] || ! "$objdump" -d "$exe" | grep -Eq '%fs:(0x0(,|$)|\(%e[a-z]{2}\))' ||
  fail "code touches the SEH chain at fs:[0]"

# Exactly two resources: the version (16) and the manifest (24), each of id 1.
resources=$("${tools}windres" -i "$exe" -J coff -O rc)
listing=$(printf "%s\n" "$resources" | sed -n 's/^\/\* Type: \(.*\)$/\1/p; s/^   Name: \(.*\)  \*\/$/\1/p' | tr '\n' ' ')
[ "$listing" = "version 1. 24 1. " ] || fail "resources: $listing"
# The manifest: as invoker, naming no file or assembly to load (a file's entry redirects a DLL load to its folder).
manifest=$(printf "%s\n" "$resources" | sed -n '/^1 24 /,/^END/p' | sed -n 's/^  "\(.*\)\\n"$/\1/p' | sed 's/""/"/g')
printf "%s\n" "$manifest" | grep -q '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' || fail "manifest: execution level"
! printf "%s\n" "$manifest" | grep -Eq '<(file|dependency|dependentAssembly)[ >/]' || fail "manifest: names files or assemblies"

echo "image ok: GUI, $processor, $size bytes, flags $flags, imports $imports, version resource and manifest"

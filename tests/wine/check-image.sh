#!/bin/sh
# The shipped executable: a GUI program for the expected machine with the release flags,
# that imports only known DLLs of the system (none the loader would look for beside it
# first) and names none of the ANSI calls that hand out a path, a name or registry text
# converted with best fit (neither imported nor looked up at run time), and carries its
# version resource and its manifest and no other resource.
# Usage: check-image.sh OBJDUMP PROCESSOR EXE VERSION   (VERSION as in 1.0.0.9)
set -eu
objdump=$1 processor=$2 exe=$3 version=$4
tools=${objdump%objdump}
export LC_ALL=C
fail() { echo "$exe: $*"; exit 1; }
headers=$("$objdump" -p "$exe")
printf "%s\n" "$headers" | grep -Eq "^Subsystem[[:space:]]+00000002" || fail "not a Windows GUI program"
"$objdump" -f "$exe" | grep -q "file format pei-$(echo "$processor" | sed 's/i686/i386/; s/_/-/')" || fail "not $processor"
imports=$(printf "%s\n" "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
[ "$imports" = "advapi32.dll kernel32.dll msvcrt.dll " ] || fail "imports $imports"
best_fit=$("${tools}strings" -a "$exe" | grep -owE 'GetCommandLineA|GetModuleFileNameA|GetCurrentDirectoryA|'\
'GetFullPathNameA|GetShortPathNameA|GetLongPathNameA|SearchPathA|FindFirstFileA|FindNextFileA|GetTempPathA|'\
'GetTempPath2A|GetSystemDirectoryA|GetWindowsDirectoryA|GetEnvironmentVariableA|GetEnvironmentStringsA?|'\
'ExpandEnvironmentStringsA|RegQueryValueExA|RegQueryValueA|RegGetValueA|RegEnumValueA|RegEnumKeyExA|RegEnumKeyA|'\
'WNetGetUniversalNameA|WNetGetConnectionA|GetUserObjectInformationA' | sort -u | tr '\n' ' ' || true)
[ -z "$best_fit" ] || fail "names ANSI calls that convert with best fit:" $best_fit

# The shipped image's size goal: at most 128 KiB.
size=$(wc -c <"$exe")
[ "$processor" != i686 ] || [ "$size" -le 131072 ] || fail "$size bytes, more than 131072"

# Release flags: terminal server aware (0x8000), NX (0x100), ASLR (0x40); the 32-bit image
# also NO_SEH (0x400), the 64-bit one high-entropy ASLR (0x20).
flags=$(printf "%s\n" "$headers" | sed -n 's/^DllCharacteristics[[:space:]]*//p')
case $processor in i686) want=00008540 ;; *) want=00008160 ;; esac
[ "$flags" = "$want" ] || fail "DllCharacteristics $flags, not $want"
# NO_SEH holds only while no code registers a handler in the SEH chain at fs:[0]; an
# access through a register may reach it too. (The exception tables the linker keeps in
# the code section decode as noise, with scaled indexes no such access uses.)
if [ "$processor" = i686 ] && "$objdump" -d "$exe" | grep -Eq '%fs:(0x0(,|$)|\(%e[a-z]{2}\))'; then
  fail "code touches the SEH chain at fs:[0]"
fi

# Exactly two resources: the version (16) and the manifest (24), each of id 1.
resources=$("${tools}windres" -i "$exe" -J coff -O rc)
listing=$(printf "%s\n" "$resources" | sed -n 's/^\/\* Type: \(.*\)$/\1/p; s/^   Name: \(.*\)  \*\/$/\1/p' | tr '\n' ' ')
[ "$listing" = "version 1. 24 1. " ] || fail "resources: $listing"
# The manifest: as invoker, every Windows from Vista on, system DPI aware, and nothing
# that names a file or another assembly to load.
manifest=$(printf "%s\n" "$resources" | sed -n '/^1 24 /,/^END/p' | sed -n 's/^  "\(.*\)\\n"$/\1/p' | sed 's/""/"/g')
printf "%s\n" "$manifest" | grep -q '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' || fail "manifest: execution level"
# Vista, 7, 8, 8.1, 10 and 11, in this order.
[ "$(printf "%s\n" "$manifest" | sed -n 's/^<supportedOS Id="{\(.*\)}"\/>$/\1/p' | tr '\n' ' ')" = "e2011457-1546-43c5-a5fe-\
008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a " ] || fail "manifest: supported systems"
printf "%s\n" "$manifest" | grep -q '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>' ||
  fail "manifest: DPI awareness"
! printf "%s\n" "$manifest" | grep -Eq '<(file|dependency|dependentAssembly)[ >/]' || fail "manifest: names files or assemblies"

# The fixed part: file and product version VERSION, flags mask 0x3F, a private build,
# Windows NT 32-bit, an application, no date.
major=${version%%.*} rest=${version#*.}
minor=${rest%%.*} rest=${rest#*.}
build=${rest%%.*} revision=${rest#*.}
numbers=$(printf '%04x%04x %04x%04x' "$major" "$minor" "$build" "$revision")
at=$(grep -obUaP '\xbd\x04\xef\xfe' "$exe" | head -1 | cut -d: -f1)
[ "$(od -An -tx4 -j "$at" -N52 "$exe" | tr -s ' \n' ' ')" = \
  " feef04bd 00010000 $numbers $numbers 0000003f 00000008 00040004 00000001 00000000 00000000 00000000 " ] ||
  fail "fixed version part"
text="$major, $minor, $build, $revision"
# One German Unicode string table with these values in this order (the maker's name and
# notice whatever they are; an empty value stands as its name alone), then the translation.
"${tools}strings" -el "$exe" | sed -n '/^VS_VERSION_INFO$/,$p' | tr '\n' '|' | grep -Eqx 'VS_VERSION_INFO\|StringFileInfo\|040704b0\|'\
'Comments\|CompanyName\|[^|]+\|FileDescription\|Quorvane\|FileVersion\|'"$text"'\|InternalName\|Quorvane\|'\
'LegalCopyright\|[^|]+\|LegalTrademarks\|OriginalFilename\|Quorvane\.exe\|PrivateBuild\|needs uninst 1\.2\.3\.9 or '\
'higher; pass on the commandline \(4silent\); \+RUZ RDV TTAL TOV;\|ProductName\|[^|]+\|ProductVersion\|'"$text"'\|'\
'SpecialBuild\|VarFileInfo\|Translation\|' || fail "version strings"
grep -qUaP 'T\x00r\x00a\x00n\x00s\x00l\x00a\x00t\x00i\x00o\x00n\x00\x00\x00(\x00\x00)?\x07\x04\xb0\x04' "$exe" ||
  fail "translation"
echo "image ok: GUI, $processor, version $version, $size bytes, flags $flags, imports $imports, version resource and manifest"

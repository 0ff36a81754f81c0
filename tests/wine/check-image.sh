#!/bin/sh
# The shipped executable: a GUI program for the expected machine that imports only known
# DLLs of the system (none the loader would look for beside it first), and carries its
# version resource and no other resource.
# Usage: check-image.sh OBJDUMP PROCESSOR EXE
set -eu
objdump=$1 processor=$2 exe=$3
export LC_ALL=C
fail() { echo "$exe: $*"; exit 1; }
"$objdump" -p "$exe" | grep -Eq "^Subsystem[[:space:]]+00000002" || fail "not a Windows GUI program"
"$objdump" -f "$exe" | grep -q "file format pei-$(echo "$processor" | sed 's/i686/i386/; s/_/-/')" || fail "not $processor"
imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
[ "$imports" = "advapi32.dll kernel32.dll msvcrt.dll " ] || fail "imports $imports"

# The fixed part: file and product version 1.0.0.9, flags mask 0x3F, a private build,
# Windows NT 32-bit, an application, no date.
at=$(grep -obUaP '\xbd\x04\xef\xfe' "$exe" | head -1 | cut -d: -f1)
[ "$(od -An -tx4 -j "$at" -N52 "$exe" | tr -s ' \n' ' ')" = \
  " feef04bd 00010000 00010000 00000009 00010000 00000009 0000003f 00000008 00040004 00000001 00000000 00000000 00000000 " ] ||
  fail "fixed version part"
# One German Unicode string table with these values in this order (the maker's name and
# notice whatever they are; an empty value stands as its name alone), then the translation.
"${objdump%objdump}strings" -el "$exe" | sed -n '/^VS_VERSION_INFO$/,$p' | tr '\n' '|' | grep -Eqx 'VS_VERSION_INFO\|StringFileInfo\|040704b0\|'\
'Comments\|CompanyName\|[^|]+\|FileDescription\|Quorvane\|FileVersion\|1, 0, 0, 9\|InternalName\|Quorvane\|'\
'LegalCopyright\|[^|]+\|LegalTrademarks\|OriginalFilename\|Quorvane\.exe\|PrivateBuild\|needs uninst 1\.2\.3\.9 or '\
'higher; pass on the commandline \(4silent\); \+RUZ RDV TTAL TOV;\|ProductName\|[^|]+\|ProductVersion\|1, 0, 0, 9\|'\
'SpecialBuild\|VarFileInfo\|Translation\|' || fail "version strings"
grep -qUaP 'T\x00r\x00a\x00n\x00s\x00l\x00a\x00t\x00i\x00o\x00n\x00\x00\x00(\x00\x00)?\x07\x04\xb0\x04' "$exe" ||
  fail "translation"
# The resource directory's root: no named type, one numbered type, and that RT_VERSION (16).
rsrc=$(( 0x$("$objdump" -h "$exe" | awk '$2 == ".rsrc" { print $6 }') ))
[ "$(od -An -tu2 -j $((rsrc + 12)) -N8 "$exe" | tr -s ' ')" = " 0 1 16 0" ] || fail "resources other than the version"
echo "image ok: GUI, $processor, imports $imports, version resource only"

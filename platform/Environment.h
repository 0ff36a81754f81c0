// Environment variables: the launcher's own (QUORVANE_LOG, QUORVANE_EXIT_CODE), and the machine's,
// the only ones an uninstall entry is expanded with: a standard user may set variables that the
// same user's elevated token inherits, and with them would decide what an elevated launcher starts.
#pragma once

#include "Text.h"

// A variable of the launcher's own environment; false when it is not set.
bool ReadEnvironmentVariable(const char* name, WideText& value);

// Whether value is word (lower-case ASCII letters) in any letter case.
inline bool EnvironmentValueIs(const WideText& value, const char* word)
{
    std::size_t at = 0;
    while (at < value.size() && word[at] != '\0' && (value[at] | 0x20) == static_cast<wchar_t>(word[at])) {
        ++at;
    }
    return at == value.size() && word[at] == '\0';
}

// An environment block: "NAME=value" after "NAME=value", each ended by a zero.
using Environment = WideText;

// The machine's own variables, as userenv hands them to a process of no user; false, with why.
bool ReadMachineEnvironment(Environment& variables, unsigned long& error);

// Whether two names are the same as the system compares them: its own upper-casing, ordinal.
bool SameVariableName(const wchar_t* a, std::size_t aLength, const wchar_t* b, std::size_t bLength);

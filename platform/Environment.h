// Environment variables: one of the launcher's own environment (QUORVANE_LOG, set by
// whoever starts it), and the machine's own variables, the only ones an expandable
// uninstall entry is expanded with. The launcher's own environment is never used for that:
// a standard user may set variables (HKCU\Environment) that the same user's elevated token
// inherits, and with them would decide what an elevated launcher starts.
#pragma once

#include "TextConversion.h"

// A variable of the launcher's own environment; false when it is not set.
bool ReadEnvironmentVariable(const char* name, WideText& value);

// Whether value is word (lower-case ASCII letters) in any letter case.
bool EnvironmentValueIs(const WideText& value, const char* word);

// Variables as the system keeps them in an environment block: "NAME=value" after
// "NAME=value", each ended by a zero (a name may begin with '=').
using Environment = WideText;

// The machine's own variables, as the system hands them to a new process of no user in
// particular (the system's variables, none of a user's): from userenv.dll, loaded from the
// system folder. A 32-bit program on 64-bit Windows gets its %ProgramFiles% as Program
// Files (x86), as Windows gives it every 32-bit program. False, with the system's error,
// when the system cannot tell them.
bool ReadMachineEnvironment(Environment& variables, unsigned long& error);

// Whether two variable names are the same, letter case aside, as the system compares them
// (its own upper-casing, beyond ASCII).
bool SameVariableName(const wchar_t* a, std::size_t aLength, const wchar_t* b, std::size_t bLength);

// A %NAME% that expanding left as written: where its '%' stands in the expansion, and NAME.
struct UnknownName {
    static constexpr std::size_t kNone = ~std::size_t(0);
    std::size_t at = kNone;
    WideText name;
};

// text as the system expands a REG_EXPAND_SZ value, in one pass: every %NAME% that names a
// variable of variables is replaced by its value; one that names none stays as written and
// the scan goes on from its closing '%', which may open the next reference; a '%' without
// a closing one, or "%%", stays too. unknown is the first name left as written, unless it
// holds a path separator in a path that has its root (then the percent signs belong to two
// folders' names). Left as written, such a name would be a path relative to the current
// folder, where anyone may make a folder literally named %NAME%: its caller decides where
// that matters.
void ExpandVariables(const WideText& text, const Environment& variables, WideText& expanded, UnknownName& unknown);

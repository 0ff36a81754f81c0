// Environment variables: one of the launcher's own environment (QUORVANE_LOG, set by
// whoever starts it), and the machine's own variables, the only ones an expandable
// uninstall entry is expanded with. The launcher's own environment is never used for that:
// a standard user may set variables (HKCU\Environment) that the same user's elevated token
// inherits, and with them would decide what an elevated launcher starts.
#pragma once

#include "TextConversion.h"

// A variable of the launcher's own environment; false when it is not set.
bool ReadEnvironmentVariable(const char* name, WideText& value);

// Variables as the system keeps them in an environment block: "NAME=value" after
// "NAME=value", each ended by a zero (a name may begin with '=').
using Environment = WideText;

// The machine's own variables, as the system hands them to a new process of no user in
// particular (the system's variables, none of a user's): from userenv.dll, loaded from the
// system folder. A 32-bit program on 64-bit Windows gets its %ProgramFiles% as Program
// Files (x86), as Windows gives it every 32-bit program. False, with the system's error,
// when the system cannot tell them.
bool ReadMachineEnvironment(Environment& variables, unsigned long& error);

// text with every %NAME% replaced by the value of the variable NAME (ASCII letters in any
// case), as the system expands a REG_EXPAND_SZ value; a '%' that opens no name ("100%",
// "%%") stays as written. False where text names a variable that variables lack: undefined
// is then that name. Left as written, such a name would be a path relative to the current
// folder, where anyone may make a folder literally named %NAME%.
bool ExpandVariables(const WideText& text, const Environment& variables, WideText& expanded, WideText& undefined);

// Naming a system error in a line of the debug output and the log: its number, which
// support can look up whatever the language of the machine, and the system's own text.
#pragma once

#include <string>

// "Windows error <error>: <the system's text>", or without the text where the system has
// none. The text is the system's message in its language, without its closing full stop
// and line break; a place the message leaves for a name ("%1") reads "it".
std::string WindowsError(unsigned long error);

// The system's message for error, in the ANSI code page, as the system writes it; empty
// when it has none.
std::string SystemErrorText(unsigned long error);

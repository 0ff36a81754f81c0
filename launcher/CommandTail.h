// Cutting the launcher's own arguments (the command tail) from the process command line.
// The C runtime's lpCmdLine is not used: it differs from the rule the launcher follows,
// for example after a quoted program name followed directly by a switch.
#pragma once

#include "platform/AnsiText.h"

#include <string>

// The command line less the program name and the control characters and blanks after it.
// Trailing blanks stay; the result may be empty.
std::string CutCommandTail(const std::string& commandLine, const CodePage& codePage);

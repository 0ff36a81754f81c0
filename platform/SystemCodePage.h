// Learning the system's ANSI code page at start-up, and converting the system's wide text
// into it.
#pragma once

#include "AnsiText.h"

#include <cstddef>
#include <string>

// The ANSI code page with its lead-byte ranges and single-byte case mapping. Double-byte
// characters are upper-cased by the system at the time of use.
CodePage LearnSystemCodePage();

// Converts length wide characters to codePage (0: the ANSI code page) without "best fit":
// a character the code page lacks becomes '?', never a look-alike such as a quote, a slash
// or a plain letter. True when every character was held exactly.
bool WideToAnsi(const wchar_t* wide, std::size_t length, unsigned codePage, std::string& ansi);

// Text of the ANSI code page in UTF-8, for a file that reads the same whatever the code
// page of the machine that opens it.
std::string AnsiToUtf8(const std::string& ansi);

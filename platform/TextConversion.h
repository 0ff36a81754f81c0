// Text between the system's wide form and the launcher's ANSI strings. The system keeps
// names, values and the command line wide; the launcher works in the ANSI code page, and
// its log in UTF-8. No conversion here ever uses "best fit": a character the code page
// lacks becomes '?', never a look-alike such as a quote, a slash or a plain letter.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Wide text in a vector rather than std::wstring: the wide string would link in the
// runtime's whole wide string instantiation, a fifth of the launcher's size.
using WideText = std::vector<wchar_t>;

// Plain ASCII text (a name the launcher itself spells) in its wide form.
WideText WidenAscii(const char* ascii);

// Whether text[at] and text[at + 1] are a pair of surrogates, one character.
bool IsSurrogatePairAt(const WideText& text, std::size_t at);

// Puts '?' for every surrogate that is not one half of a pair: it names no character, and
// UTF-8 cannot hold it. True when there was one.
bool ReplaceLoneSurrogates(WideText& text);

// The first characters of text whose ANSI form, '?' standing for each character the code
// page lacks, is bytes long (a pair of surrogates is one character).
WideText WidePrefixOfAnsiLength(const WideText& text, std::size_t bytes);

// The system's side.

// Converts length wide characters to codePage (0: the ANSI code page). True when every
// character was held exactly.
bool WideToAnsi(const wchar_t* wide, std::size_t length, unsigned codePage, std::string& ansi);

// ANSI text in its wide form, as the system's ANSI calls turn it: exactly.
WideText AnsiToWide(const std::string& ansi);

// Text of the ANSI code page in UTF-8, for a file that reads the same whatever the code
// page of the machine that opens it.
std::string AnsiToUtf8(const std::string& ansi);

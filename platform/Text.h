// Text: the launcher's strings are 8-bit text in the ANSI code page (lengths and positions in
// bytes); the system keeps names and values wide; the log is UTF-8. Text.cpp needs no Windows;
// TextWin.cpp holds the conversions (never "best fit": what the code page lacks becomes '?',
// never a look-alike such as a quote or a slash), the code page, path names and error texts.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// What the launcher knows of an ANSI code page: learnt once at start-up, never changed.
struct CodePage {
    unsigned id = 0;
    std::array<bool, 256> leadByte{}; // the first byte of a double-byte character
    bool utf8 = false; // 65001: a byte from 0xC2 to 0xF4 begins a character of two to four bytes
    std::array<unsigned char, 256> upper{}; // each single-byte character's upper case; itself where none
    // The upper case of one character of several bytes (maybe of another length), or null.
    std::string (*upperCharacter)(const std::string& character) = nullptr;
};

// A single-byte code page that maps only ASCII a to z: the state before anything is learnt.
CodePage AsciiCodePage();
// The code page of this run; start-up sets it once, before any of the launcher's logic.
const CodePage& ActiveCodePage();
void UseCodePage(const CodePage& codePage);

// Bytes of the character at text[pos]: 2 for a lead byte and another; on UTF-8 what its first
// byte announces where that many continuation bytes follow; else 1.
std::size_t CharLength(const std::string& text, std::size_t pos, const CodePage& codePage);
// Byte position of the leftmost needle beginning at a character boundary, or -1; "" is at 0.
long long SearchText(const std::string& haystack, const std::string& needle, const CodePage& codePage);
// Byte position of the last character (at a boundary) that is one of singleByteChars, or -1.
long long FindLastOf(const std::string& text, const char* singleByteChars, const CodePage& codePage);
// Upper-cases text in place, its length kept so that positions hold in the original: a
// character whose upper case has another length (UTF-8's dotless i) stays as it is.
void UpperCaseInPlace(std::string& text, const CodePage& codePage);
// The pieces in one string: far less code in the small image than a chain of +.
std::string Join(std::initializer_list<std::string_view> pieces);
// Appends value in decimal, with leading zeros up to width digits.
void AppendNumber(std::string& text, unsigned long value, std::size_t width = 1);
// value in decimal: a minus sign where negative, no leading zeros, no plus sign.
std::string NumberText(long value);

// Not std::wstring, whose instantiation would add a fifth to the launcher's size.
using WideText = std::vector<wchar_t>;

// Plain ASCII text (a name the launcher itself spells) in its wide form.
WideText WidenAscii(const char* ascii);
// Whether text[at] and text[at + 1] are a pair of surrogates, one character.
bool IsSurrogatePairAt(const WideText& text, std::size_t at);
// Puts '?' for every surrogate not half of a pair (no character, and not in UTF-8); true if any.
bool ReplaceLoneSurrogates(WideText& text);

// Text from a call that writes into a buffer and answers its length, or where the buffer is too
// small the room it needs (its zero included) or the capacity (it cut the text): called with more
// room until it fits. Empty, with the call's error, where it answers 0 or would need more than
// the system's longest text, 32,768 characters.
WideText ReadGrowing(std::size_t (*read)(const wchar_t* input, wchar_t* buffer, std::size_t capacity,
                                         unsigned long& error),
                     const wchar_t* input, unsigned long& error);

// "Windows error <error>: <text>" (text without its closing full stop and line break, "%1" as
// "it"), or without ": <text>" where there is none.
std::string ErrorLine(unsigned long error, std::string text);

// The system's side (TextWin.cpp).

// The ANSI code page, its lead bytes and single-byte upper case.
CodePage LearnSystemCodePage();
// length wide characters in codePage (0: the ANSI code page); true when all were held exactly.
bool WideToAnsi(const wchar_t* wide, std::size_t length, unsigned codePage, std::string& ansi);
// ANSI text in its wide form, exactly as the system's ANSI calls take it.
WideText AnsiToWide(const std::string& ansi);
// ANSI text in UTF-8, for a file that reads the same on whichever machine opens it.
std::string AnsiToUtf8(const std::string& ansi);
// ErrorLine with the system's own message for error.
std::string WindowsError(unsigned long error);

// A path in the code page exactly, or else its short 8.3 form; false when neither holds: a
// look-alike could name another file.
bool AnsiPathName(const WideText& path, std::string& ansi);
// The running executable's path, however long; empty, with why, when the system cannot give it.
WideText GetModulePathWide(unsigned long& error);
// The current folder, as AnsiPathName names it; false when it has no name.
bool GetCurrentDirectoryAnsi(std::string& directory);
// The full path of path as a process start takes it (from the current folder; blanks and dots
// ending it dropped), named as AnsiPathName names it. False with the system's error, or
// ERROR_NO_UNICODE_TRANSLATION (1113) where it has no name.
bool GetFullPathAnsi(const std::string& path, std::string& full, unsigned long& error);

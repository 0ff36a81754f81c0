// Text in the system's ANSI code page: the launcher's strings are std::string holding
// 8-bit text, and every length, position and count is a byte count. These helpers add
// what std::string cannot know by itself: where characters begin on a double-byte code
// page or on UTF-8 (65001, where a character takes up to four bytes), and how the code
// page upper-cases its letters. No Win32 here, so all of it is built and tested natively
// as well.
#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>

// What the launcher knows of an ANSI code page. Learnt once at start-up from the system
// and never changed during a run.
struct CodePage {
    unsigned id = 0;
    // True for the first byte of a double-byte character.
    std::array<bool, 256> leadByte{};
    // UTF-8: a byte from 0xC2 to 0xF4 begins a character of two to four bytes.
    bool utf8 = false;
    // Upper-case form of every single-byte character; identity where there is none.
    std::array<unsigned char, 256> upper{};
    // The upper-case form of one character of several bytes, which may be longer or
    // shorter than the character. Null when the code page has no such letters to map.
    std::string (*upperCharacter)(const std::string& character) = nullptr;
};

// A single-byte code page that maps only ASCII a to z: the state before anything is learnt.
CodePage AsciiCodePage();

// The code page of this run. Start-up sets it once, before any of the launcher's logic.
const CodePage& ActiveCodePage();
void UseCodePage(const CodePage& codePage);

// Byte length of the character that begins at text[pos]: 2 for a lead byte followed by
// another byte; on UTF-8 the length its first byte announces, when that many continuation
// bytes follow; else 1. A lead byte at the very end is a character of its own.
std::size_t CharLength(const std::string& text, std::size_t pos, const CodePage& codePage);

// Byte position of the leftmost occurrence of needle that begins at a character boundary,
// or -1. An empty needle is found at 0.
long long SearchText(const std::string& haystack, const std::string& needle, const CodePage& codePage);

// Byte position of the last character (at a character boundary) that is one of the given
// single-byte characters, or -1.
long long FindLastOf(const std::string& text, const char* singleByteChars, const CodePage& codePage);

// Upper-cases text in place. The byte length never changes, so a position found in an
// upper-cased copy is valid in the original: a character whose upper-case form has another
// length (the dotless i of UTF-8, two bytes, as the one-byte I) stays as it is.
void UpperCaseInPlace(std::string& text, const CodePage& codePage);

// The first count bytes of text; a negative count gives the empty string, a count past
// the end the whole text.
std::string TakeLeft(const std::string& text, long long count);

// The pieces one after the other, in one string: far less code in the launcher's small
// image than a chain of +, which makes and frees a string for every piece.
std::string Join(std::initializer_list<std::string_view> pieces);

// Appends value in decimal, with leading zeros up to width digits.
void AppendNumber(std::string& text, unsigned long value, std::size_t width = 1);

// value in decimal: a minus sign for a negative one, no leading zeros, no plus sign.
std::string NumberText(long value);

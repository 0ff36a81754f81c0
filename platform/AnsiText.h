// Text in the system's ANSI code page: the launcher's strings are std::string holding
// 8-bit text, and every length, position and count is a byte count. These helpers add
// what std::string cannot know by itself: where characters begin on a double-byte code
// page, and how the code page upper-cases its letters. No Win32 here, so all of it is
// built and tested natively as well.
#pragma once

#include <array>
#include <string>

// What the launcher knows of an ANSI code page. Learnt once at start-up from the system
// and never changed during a run.
struct CodePage {
    unsigned id = 0;
    // True for the first byte of a double-byte character.
    std::array<bool, 256> leadByte{};
    // Upper-case form of every single-byte character; identity where there is none.
    std::array<unsigned char, 256> upper{};
    // Upper-cases one double-byte character in place, or leaves it as it is. Null when
    // the code page has no double-byte letters to map.
    void (*upperDoubleByte)(unsigned char& lead, unsigned char& trail) = nullptr;
};

// A single-byte code page that maps only ASCII a to z: the state before anything is learnt.
CodePage AsciiCodePage();

// The code page of this run. Start-up sets it once, before any of the launcher's logic.
const CodePage& ActiveCodePage();
void UseCodePage(const CodePage& codePage);

// Byte length of the character that begins at text[pos]: 2 for a lead byte followed by
// another byte, else 1. A lead byte at the very end is a character of its own.
std::size_t CharLength(const std::string& text, std::size_t pos, const CodePage& codePage);

// Byte position of the leftmost occurrence of needle that begins at a character boundary,
// or -1. An empty needle is found at 0.
long long SearchText(const std::string& haystack, const std::string& needle, const CodePage& codePage);

// Byte position of the last character (at a character boundary) that is one of the given
// single-byte characters, or -1.
long long FindLastOf(const std::string& text, const char* singleByteChars, const CodePage& codePage);

// Upper-cases text in place. The byte length never changes, so a position found in an
// upper-cased copy is valid in the original.
void UpperCaseInPlace(std::string& text, const CodePage& codePage);

// The first count bytes of text; a negative count gives the empty string, a count past
// the end the whole text.
std::string TakeLeft(const std::string& text, long long count);

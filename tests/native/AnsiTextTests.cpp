// Searching and upper-casing 8-bit text on single- and double-byte code pages.
#include "platform/AnsiText.h"

#include "FakePlatform.h"

#include <gtest/gtest.h>

namespace {
struct FindCase {
    const char* haystack;
    const char* needle;
    long long expected;
};

TEST(AnsiText, FindsTheLeftmostOccurrenceOnASingleByteCodePage)
{
    const FindCase cases[] = {
        {"abcabc", "ca", 2}, {"abc", "abc", 0}, {"abc", "", 0},   {"", "a", -1},
        {"", "", 0},         {"ab", "abc", -1}, {"aXbX", "X", 1}, {"\x83\x5C\\", "\\", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SearchText(c.haystack, c.needle, AsciiCodePage()), c.expected) << c.haystack << " / " << c.needle;
    }
}

TEST(AnsiText, FindsOnlyAtCharacterBoundariesOnADoubleByteCodePage)
{
    const FindCase cases[] = {
        {"\x83\x5C\\", "\\", 2}, // the first backslash is the second byte of a character
        {"\x83\x5C", "\\", -1},
        {"x\x83\x61", "a", -1}, // second byte that looks like a lower-case a
        {"a\x83", "\x83", 1}, // a lead byte at the very end is a character of its own
        {"\x83/UNINSTALL /UNINSTALL", "/UNINSTALL", 12},
        {"\x82\x60\x82\x60", "\x60\x82", -1}, // spans two characters, starts inside the first
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SearchText(c.haystack, c.needle, DoubleByteTestCodePage()), c.expected) << c.haystack;
    }
    EXPECT_EQ(FindLastOf("C:\\d\x83\x5Cx", "\\/", DoubleByteTestCodePage()), 2);
    EXPECT_EQ(FindLastOf("C:\\d\x83\x5Cx", "\\/", AsciiCodePage()), 5);
    EXPECT_EQ(FindLastOf("a/b\\c", "\\/", AsciiCodePage()), 3);
    EXPECT_EQ(FindLastOf("abc", "\\/", AsciiCodePage()), -1);
}

TEST(AnsiText, UpperCasesWithTheCodePageAndKeepsTheLength)
{
    CodePage western = AsciiCodePage();
    western.upper[0xE4] = 0xC4; // a-umlaut, as code page 1252 maps it
    std::string text = "abz\xE4\xC4{1}/";
    UpperCaseInPlace(text, western);
    EXPECT_EQ(text, "ABZ\xC4\xC4{1}/");

    // Second bytes are never treated as letters; whole characters go through the mapping.
    std::string wide = "a\x83\x61\x82\x81z\x82";
    UpperCaseInPlace(wide, DoubleByteTestCodePage());
    EXPECT_EQ(wide, "A\x83\x61\x82\x60Z\x82");
}

TEST(AnsiText, TakesLeftParts)
{
    EXPECT_EQ(TakeLeft("abc", -1), "");
    EXPECT_EQ(TakeLeft("abc", 0), "");
    EXPECT_EQ(TakeLeft("abc", 2), "ab");
    EXPECT_EQ(TakeLeft("abc", 7), "abc");
}
} // namespace

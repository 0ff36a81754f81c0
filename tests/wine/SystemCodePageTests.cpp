// What the launcher learns of the ANSI code page from the real code page services. The
// test run sets QUORVANE_EXPECT_ACP to the code page it started Wine with.
#include "platform/SystemCodePage.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cwchar>

namespace {
unsigned ExpectedCodePage()
{
    const char* expected = std::getenv("QUORVANE_EXPECT_ACP");
    return expected == nullptr ? 0 : static_cast<unsigned>(std::atoi(expected));
}

TEST(SystemCodePage, Western1252)
{
    if (ExpectedCodePage() != 1252) {
        GTEST_SKIP() << "run with QUORVANE_EXPECT_ACP=1252";
    }
    const CodePage codePage = LearnSystemCodePage();
    ASSERT_EQ(codePage.id, 1252u);
    for (unsigned byte = 0; byte < 256; ++byte) {
        EXPECT_FALSE(codePage.leadByte[byte]) << byte;
    }
    std::string text = "az\xE4\xE9\xFF\x9A\x9C\xDF\xB5 1/_";
    UpperCaseInPlace(text, codePage);
    // a-umlaut, e-acute, y-diaeresis, s-caron, oe; sharp s and micro have no single-byte capital.
    EXPECT_EQ(text, "AZ\xC4\xC9\x9F\x8A\x8C\xDF\xB5 1/_");
}

TEST(SystemCodePage, Japanese932)
{
    if (ExpectedCodePage() != 932) {
        GTEST_SKIP() << "run with QUORVANE_EXPECT_ACP=932";
    }
    const CodePage codePage = LearnSystemCodePage();
    ASSERT_EQ(codePage.id, 932u);
    for (unsigned byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(codePage.leadByte[byte], (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)) << byte;
    }
    // Full-width a becomes full-width A; the a that is the second byte of 0x83 0x61 stays;
    // half-width katakana have no case.
    std::string text = "a\x82\x81\x83\x61\xB1z";
    UpperCaseInPlace(text, codePage);
    EXPECT_EQ(text, "A\x82\x60\x83\x61\xB1Z");
    EXPECT_EQ(SearchText("C:\\\x83\x5C\\u.exe", "\\u", codePage), 5);
    EXPECT_EQ(SearchText("\x83\x5Cu", "\\u", codePage), -1);
}

TEST(WideToAnsi, PutsAQuestionMarkForWhatTheCodePageLacks)
{
    const struct {
        const wchar_t* wide;
        unsigned codePage;
        const char* ansi;
        bool exact;
    } cases[] = {
        // Best fit would give a quote, a slash, an L and a z.
        {L"k\uFF02 \uFF0FINJECTED", 1252, "k? ?INJECTED", false},
        {L"\u0141\u00F3d\u017A", 1252,
         "?\xF3"
         "d?",
         false},
        {L"C:\\Kit \u00E4\\", 1252, "C:\\Kit \xE4\\", true},
        {L"\u3042\u30BD\\", 932, "\x82\xA0\x83\x5C\\", true},
        {L"\u0141", 932, "?", false},
        {L"\u0141\u00F3d\u017A", 65001,
         "\xC5\x81\xC3\xB3"
         "d\xC5\xBA",
         true},
        {L"", 1252, "", true},
    };
    for (const auto& c : cases) {
        std::string ansi = "stale";
        EXPECT_EQ(WideToAnsi(c.wide, std::wcslen(c.wide), c.codePage, ansi), c.exact) << c.ansi;
        EXPECT_EQ(ansi, c.ansi);
    }
}
} // namespace

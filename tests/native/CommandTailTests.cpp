// Cutting the launcher's own arguments from the command line.
#include "launcher/CommandTail.h"

#include "FakePlatform.h"

#include <gtest/gtest.h>

namespace {
struct TailCase {
    std::string line;
    std::string tail;
};

TEST(CommandTail, CutsTheProgramName)
{
    const TailCase cases[] = {
        {"\"C:\\Program Files\\Kit\\Quorvane.exe\"  /S", "/S"},
        {"\"C:\\Kit\\Quorvane.exe\"/S", "/S"}, // no blank needed after the closing quote
        {"\"C:\\Kit\\Quorvane.exe\"", ""},
        {"\"C:\\Kit\\no closing quote /S", ""}, // the name runs to the end
        {"\"\" /S", "/S"},
        {"C:\\Kit\\Quorvane.exe /S /Q  ", "/S /Q  "}, // trailing blanks stay
        {"Quorvane.exe\t\x01\x1F /S", "/S"}, // every code from 1 to 32 is skipped
        {"Quorvane.exe", ""},
        {" Quorvane.exe /S", "Quorvane.exe /S"}, // no name cut at all
        {"\tQuorvane.exe", "Quorvane.exe"},
        {"C:\\K\xE9\xFFs\\Q.exe /S", "/S"}, // 128 to 255 belong to the name
        {"Q.exe a\"b\" \"c d\"", "a\"b\" \"c d\""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CutCommandTail(c.line, AsciiCodePage()), c.tail) << c.line;
    }
}

TEST(CommandTail, StepsOverDoubleByteCharactersInAQuotedName)
{
    const TailCase cases[] = {
        {"\"C:\\\x83\x5C\\Q.exe\" /S", "/S"},
        {"\"C:\\\x83\"x\" /S", "/S"}, // the quote after a lead byte is that character's second byte
        {"\"C:\\\x83", ""}, // the end of the line ends the name, even after a lead byte
        {"\"\x83\x5C\"/S", "/S"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CutCommandTail(c.line, DoubleByteTestCodePage()), c.tail) << c.line;
    }
}
} // namespace

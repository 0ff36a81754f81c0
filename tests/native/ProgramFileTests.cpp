// Which file the runner starts for a name, and the command line the child gets.
#include "platform/ProcessRunner.h"

#include "FakePlatform.h"

#include <gtest/gtest.h>

#include <set>

namespace {
// The files that exist, and every existence test the runner made, in order.
std::set<std::string> existing;
std::vector<std::string> tried;

bool Exists(const std::string& file)
{
    tried.push_back(file);
    return existing.count(file) != 0;
}

struct ChoiceCase {
    std::string name;
    std::set<std::string> files;
    std::string chosen;
    std::vector<std::string> tried;
};

TEST(ProgramFile, ChoosesTheFileAsWindowsWouldStartIt)
{
    const ChoiceCase cases[] = {
        {"C:\\K\\u.exe", {"C:\\K\\u.exe"}, "C:\\K\\u.exe", {"C:\\K\\u.exe"}},
        {"C:\\K\\u.exe", {}, "", {"C:\\K\\u.exe"}},
        {"C:\\K\\u", {"C:\\K\\u.exe", "C:\\K\\u.com"}, "C:\\K\\u.com", {"C:\\K\\u.com"}},
        {"C:\\K\\u",
         {"C:\\K\\u.cmd"},
         "C:\\K\\u.cmd",
         {"C:\\K\\u.com", "C:\\K\\u.exe", "C:\\K\\u.bat", "C:\\K\\u.cmd"}},
        {"C:\\K\\u", {"C:\\K\\u"}, "", {"C:\\K\\u.com", "C:\\K\\u.exe", "C:\\K\\u.bat", "C:\\K\\u.cmd"}},
        {"C:\\K.d\\u", {"C:\\K.d\\u.exe"}, "C:\\K.d\\u.exe", {"C:\\K.d\\u.com", "C:\\K.d\\u.exe"}},
        {"C:\\K\\u.", {"C:\\K\\u."}, "C:\\K\\u.", {"C:\\K\\u."}},
        {"C:\\K\\.u", {"C:\\K\\.u"}, "C:\\K\\.u", {"C:\\K\\.u"}},
        {"u.exe", {".\\u.exe"}, ".\\u.exe", {".\\u.exe"}},
        {"u", {".\\u.exe"}, ".\\u.exe", {".\\u.com", ".\\u.exe"}},
        {"Z:u.exe", {"Z:u.exe"}, "Z:u.exe", {"Z:u.exe"}},
        {"Z:u", {"Z:u.bat"}, "Z:u.bat", {"Z:u.com", "Z:u.exe", "Z:u.bat"}},
        {"C:/K/u", {"C:/K/u.exe"}, "C:/K/u.exe", {"C:/K/u.com", "C:/K/u.exe"}},
        {"C:\\K.a/u", {"C:\\K.a/u.com"}, "C:\\K.a/u.com", {"C:\\K.a/u.com"}},
        {"C:\\P F\\u.exe ", {"C:\\P F\\u.exe "}, "C:\\P F\\u.exe ", {"C:\\P F\\u.exe "}},
    };
    for (const auto& c : cases) {
        existing = c.files;
        tried.clear();
        const std::string chosen = ChooseProgramFile(c.name, &Exists);
        EXPECT_EQ(chosen, c.chosen) << c.name;
        EXPECT_EQ(tried, c.tried) << c.name;
    }
}

TEST(ProgramFile, DoesNotSplitInsideADoubleByteCharacter)
{
    UseCodePage(DoubleByteTestCodePage());
    existing.clear();
    tried.clear();
    ChooseProgramFile("\x83\x5Cu", &Exists); // no separator at all: a bare name
    ChooseProgramFile("C:\\\x83\x5C.d\\u", &Exists);
    UseCodePage(AsciiCodePage());
    const std::vector<std::string> expected = {
        ".\\\x83\x5Cu.com",      ".\\\x83\x5Cu.exe",      ".\\\x83\x5Cu.bat",      ".\\\x83\x5Cu.cmd",
        "C:\\\x83\x5C.d\\u.com", "C:\\\x83\x5C.d\\u.exe", "C:\\\x83\x5C.d\\u.bat", "C:\\\x83\x5C.d\\u.cmd",
    };
    EXPECT_EQ(tried, expected);
}

TEST(ProgramFile, CommandLineJoinsTheArgumentsWithOneBlankAndNoQuotes)
{
    EXPECT_EQ(BuildChildCommandLine("C:\\P F\\u.exe", "/S /config=\"x\""), "C:\\P F\\u.exe /S /config=\"x\"");
    EXPECT_EQ(BuildChildCommandLine("u", ""), "u");
    EXPECT_EQ(BuildChildCommandLine("u ", " a "), "u   a ");
}
} // namespace

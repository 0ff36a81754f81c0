// The Win32 layer against real Win32, leaving no handle open; the machine's variables and code page: end to end.
#include "platform/Environment.h"
#include "platform/FileVersionReader.h"
#include "platform/ProcessRunner.h"
#include "platform/RegistryReader.h"
#include "platform/System.h"

#include "WineTestSupport.h"

namespace {
TEST(RegistryReader, ReadsStringValuesAsStoredAndNothingElse)
{
    struct Stored {
        const char* name;
        DWORD type;
        std::wstring content;
        DWORD size; // in bytes, as written
    };
    struct Read {
        RegistryRead read;
        std::wstring value;
    };
    const std::pair<Stored, Read> cases[] = {
        {{"Expand", REG_EXPAND_SZ, L"%SystemRoot%\\U.exe", 38}, {RegistryRead::Read, L"%SystemRoot%\\U.exe"}},
        {{"Empty", REG_SZ, L"", 2}, {RegistryRead::Read, L""}},
        {{"EmbeddedZero", REG_SZ, std::wstring(L"a\0b", 4), 8}, {RegistryRead::Read, L"a"}},
        {{"Number", REG_DWORD, L"\x0101\x0101", 4}, {RegistryRead::NotAString, L""}},
        {{"NoZero", REG_SZ, L"abc", 6}, {RegistryRead::Read, L"abc"}},
        {{"OddSize", REG_SZ, L"abc", 5}, {RegistryRead::Read, L"abc"}}, // half its last character
        {{"Wide", REG_SZ, L"C:\\\u0141\u00F3d\u017A\\U.exe", 28},
         {RegistryRead::Read, L"C:\\\u0141\u00F3d\u017A\\U.exe"}},
        {{"Missing", 0, L"", 0}, {RegistryRead::NoValue, L""}},
    };
    // In the view the reader reads; a key of that name without the kit's mark is never taken for the kit's own.
    RemoveKitKey(kTestsKey, kOwnView);
    HKEY plain = nullptr;
    DWORD made = 0;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestsKey, 0, nullptr, 0, KEY_ALL_ACCESS | kOwnView, nullptr, &plain, &made);
    RegCloseKey(plain);
    EXPECT_EQ(CreateKitKey(kTestsKey, kOwnView).get(), nullptr);
    ASSERT_EQ(made, static_cast<DWORD>(REG_CREATED_NEW_KEY)); // only what this test made goes
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kTestsKey, kOwnView, 0);
    KitKey kits = CreateKitKey(kTestsKey, kOwnView);
    ASSERT_NE(kits.get(), nullptr);
    for (const auto& [stored, read] : cases) {
        RegSetValueExW(kits.get(), stored.type != 0 ? Wide(stored.name).c_str() : nullptr, 0, stored.type,
                       reinterpret_cast<const BYTE*>(stored.content.data()), stored.size);
    }
    kits.reset();
    const HANDLE next = NextHandle();
    for (const auto& [stored, expected] : cases) {
        WideText text = {L's'};
        std::uint32_t type = 99;
        unsigned long error = 0;
        EXPECT_EQ(ReadRegistryString(kTestsKey, stored.name, text, type, error), expected.read) << stored.name;
        EXPECT_TRUE(std::wstring(text.begin(), text.end()) == expected.value && type == stored.type)
            << stored.name << ", type " << type;
    }
    EXPECT_EQ(NextHandle(), next);
    RemoveKitKey(kTestsKey, kOwnView);
}

using Platform = ReportingChildTest;

// A relative path is made full from the current folder, as a process start takes it, not the test programs'. A
// damaged resource announces no fixed part (its value length, 6 bytes before "VS_VERSION_INFO", is 0).
TEST_F(Platform, ReadsTheVersionOfTheFileAtItsFullPathAndNoneFromWhatHasNone)
{
    Place("stand_in_1238.exe", "stand_in_installer.exe");
    std::string damaged = ReadWholeFile(GetModuleDirectory() + "stand_in_installer.exe");
    const std::size_t resource = damaged.find(std::string("V\0S\0_\0V\0E\0R", 11)) - 6;
    damaged[resource + 2] = damaged[resource + 3] = '\0';
    std::ofstream(scratch_ + "nofixed.exe", std::ios::binary) << damaged;
    std::ofstream(scratch_ + "truncated.exe", std::ios::binary) << damaged.substr(0, 1024);
    ASSERT_TRUE(SetCurrentDirectoryA(scratch_.c_str()));
    const HANDLE next = NextHandle();
    unsigned long error = 99;
    std::string full;
    ASSERT_TRUE(GetFullPathAnsi(".\\stand_in_installer.exe  ", full, error));
    EXPECT_EQ(full, scratch_ + "stand_in_installer.exe");
    EXPECT_EQ(GetFileVersion64(full, error), 0x0001000200030008ULL);
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(GetFileVersion64(GetModuleDirectory() + "stand_in_installer.exe", error), 0x0001000200030009ULL);
    for (const std::string& path : {scratch_ + "nofixed.exe", scratch_ + "truncated.exe", scratch_,
                                    GetModuleDirectory() + "stand_in_plain.exe"}) {
        EXPECT_TRUE(GetFileVersion64(path, error) == 0 && error != 0) << path << ": error " << error;
    }
    EXPECT_TRUE(error == kNoResourceSection || error == kNoVersionResource) << error; // a program without one
    EXPECT_EQ(NextHandle(), next);
    EXPECT_FALSE(GetFullPathAnsi("", full, error));
    EXPECT_EQ(error, static_cast<unsigned long>(ERROR_INVALID_NAME));
}

// Variable names as the system's expansion compares them: its upper-casing beyond ASCII, no more.
TEST(Environment, ComparesVariableNamesAsTheSystemDoes)
{
    EXPECT_TRUE(SameVariableName(L"\u00C9z\u0141", 3, L"\u00E9Z\u0142", 3));
    EXPECT_FALSE(SameVariableName(L"\u00DF", 1, L"SS", 2));
    EXPECT_FALSE(SameVariableName(L"AB", 2, L"A", 1));
}

TEST_F(Platform, RunsTheChosenFileAndReadsItsWholeExitCode)
{
    const std::string child = Place("stand_in_plain.exe", "un.exe");
    std::ofstream(scratch_ + "text.exe") << "not a program";
    struct Child {
        std::string name; // as started
        const char* endsWith; // the exit code it ends with
    };
    struct Ran {
        RunOutcome outcome;
        std::int32_t exitCode;
        unsigned long error;
    };
    const std::pair<Child, Ran> cases[] = {
        {{"un", "3"}, {RunOutcome::Ended, 3, 0}},
        {{"un", "0x80000001"}, {RunOutcome::Ended, -2147483647, 0}},
        {{"text.exe", "0"}, {RunOutcome::NotStarted, -1, ERROR_BAD_EXE_FORMAT}},
        {{"gone.exe", "0"}, {RunOutcome::NoFile, -1, ERROR_FILE_NOT_FOUND}}, // gone since its version was read
    };
    ASSERT_TRUE(SetCurrentDirectoryA(scratch_.c_str()));
    const HANDLE next = NextHandle();
    for (const auto& [started, ran] : cases) {
        ForgetReport();
        SetChildExit(started.endsWith);
        std::int32_t exitCode = 12345;
        unsigned long error = 12345;
        const std::string file = FindProgramFile(started.name, error); // bare: the current folder's
        EXPECT_EQ(RunAndWait(file.empty() ? started.name : file, started.name, "/S", exitCode, error), ran.outcome)
            << started.name;
        EXPECT_TRUE(exitCode == ran.exitCode && error == ran.error)
            << started.name << ": " << exitCode << ", " << error;
        EXPECT_EQ(Report("module"), ran.outcome == RunOutcome::Ended ? child : "<missing>");
    }
    EXPECT_EQ(NextHandle(), next);
}

// Wine never asks for rights, so the shell start is tried alone, from a current folder the code page lacks: the
// shell gets the plain start's file by its full path (short form) and the folder; the installer the default error
// mode, not the launcher's (Wine hands none on; Windows does).
TEST_F(Platform, StartsThroughTheShellTheFileAPlainStartWouldStart)
{
    SKIP_WHERE_WINE_CANNOT_NAME_NON_ASCII();
    const std::wstring folder = Wide(scratch_) + L"Shell Start \u0141\u00F3d\u017A";
    PlaceWide("stand_in_plain.exe", folder + L"\\RARAVIRO.exe");
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    const auto named = [](const std::wstring& path) { // UTF-8 holds the names as they are
        wchar_t shortForm[MAX_PATH] = {};
        GetShortPathNameW(path.c_str(), shortForm, MAX_PATH);
        return Narrow(GetACP() == CP_UTF8 ? path : shortForm, CP_UTF8);
    };
    const std::pair<const char*, const char*> cases[] = {{"RARAVIRO", "3"}, {"RARAVIRO.exe ", "0xFFFFFFFF"}};
    std::string directory;
    ASSERT_TRUE(GetCurrentDirectoryAnsi(directory));
    const UINT testers = SetErrorMode(0);
    KeepSystemErrorBoxesAway();
    for (const auto& c : cases) {
        ForgetReport();
        SetChildExit(c.second);
        std::int32_t exitCode = 12345;
        unsigned long error = 0;
        std::string full;
        ASSERT_TRUE(GetFullPathAnsi(FindProgramFile(c.first, error), full, error));
        EXPECT_EQ(RunThroughShellAndWait(full, " /S /config=\"C:\\K\\setup.cfg\"", directory, exitCode, error),
                  RunOutcome::Ended);
        EXPECT_EQ(exitCode, static_cast<std::int32_t>(std::strtoul(c.second, nullptr, 0)));
        EXPECT_EQ(Report("cmdline"), "\"" + named(folder + L"\\RARAVIRO.exe") + "\"  /S /config=\"C:\\K\\setup.cfg\"");
        EXPECT_EQ(Report("cwd"), named(folder));
        EXPECT_EQ(Report("errormode"), "0");
    }
    SetErrorMode(testers);
    EXPECT_EQ(Report("mark"), "inherited");
    // A file gone, and one the shell cannot start: the system's error, read before COM's clean-up.
    std::ofstream(scratch_ + "text.exe") << "not a program";
    const std::pair<std::string, unsigned long> failures[] = {{"missing.exe", ERROR_FILE_NOT_FOUND},
                                                              {"text.exe", ERROR_BAD_EXE_FORMAT}};
    for (const auto& [file, why] : failures) {
        std::int32_t exitCode = 12345;
        unsigned long error = 0;
        EXPECT_EQ(RunThroughShellAndWait(scratch_ + file, "", directory, exitCode, error),
                  why == ERROR_FILE_NOT_FOUND ? RunOutcome::NoFile : RunOutcome::NotStarted);
        EXPECT_TRUE(exitCode == -1 && error == why) << file << ": " << exitCode << ", error " << error;
    }
    // A local drive has no network form to hand an elevated installer.
    std::string network;
    unsigned long error = 0;
    EXPECT_EQ(NetworkFormOf(directory, network, error), NetworkForm::NotNetwork);
}

// What a code page lacks becomes '?', never a look-alike that names another file: a full-width quote as a quote,
// the yen sign as 932's backslash; in UTF-8 a lone surrogate, never U+FFFD. (The end-to-end tests convert with it.)
TEST(WideToAnsi, GivesWhatTheCodePageLacksAsAQuestionMark)
{
    const struct {
        unsigned codePage;
        std::wstring wide;
        const char* ansi;
    } cases[] = {{1252, L"a\uFF02\u0141", "a??"},
                 {932, L"\u00A5\u30BD", "?\x83\x5C"},
                 {65001, L"\u0141a\xD800", "\xC5\x81\x61?"}};
    for (const auto& c : cases) {
        std::string ansi;
        EXPECT_FALSE(WideToAnsi(c.wide.data(), c.wide.size(), c.codePage, ansi)) << c.codePage;
        EXPECT_EQ(ansi, c.ansi) << c.codePage;
    }
}
} // namespace

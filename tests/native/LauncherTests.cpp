// The launcher's logic against the stand-in platform: text rules on a single-byte and a 932-like
// code page, the version gate, the products in order, the boxes shown while Ctrl is held, and what
// Wine cannot show: an installer needing administrator rights, a folder the code page cannot name.
#include "launcher/CommandTail.h"
#include "launcher/Diagnostics.h"
#include "launcher/LaunchSequence.h"
#include "launcher/UninstallerDiscovery.h"

#include "FakePlatform.h"

#include <set>

namespace {
const CodePage kSingle = AsciiCodePage();
const CodePage kDouble = DoubleByteTestCodePage();

constexpr FileVersion64 Version(unsigned major, unsigned minor, unsigned build, unsigned revision)
{
    return (FileVersion64(major) << 48) | (FileVersion64(minor) << 32) | (FileVersion64(build) << 16) | revision;
}

const std::string kParameters = "/S /config=\"C:\\Kit\\setup.cfg\"";

FakeBox Info(const std::string& text)
{
    return {text, "Quorvane Debug-Info", 0};
}

// The launcher's exit code for "/S", returned or ended with.
int Launch()
{
    try {
        return RunLauncher("/S");
    } catch (const ProcessEnded& ended) {
        return ended.exitCode;
    }
}

TEST(Launcher, VersionGateGoesHalfByHalf)
{
    const std::pair<FileVersion64, bool> cases[] = {
        {Version(1, 2, 3, 9), true},           {Version(1, 2, 3, 8), false},   {Version(1, 3, 0, 0), true},
        {Version(1, 2, 4, 0), true},           {Version(2, 0, 0, 0), true},    {Version(1, 1, 99, 99), false},
        {Version(1, 2, 0xFFFF, 0xFFFF), true}, {0x00010001FFFFFFFFULL, false}, {0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsUsableUninstallerVersion(c.first), c.second) << std::hex << c.first;
    }
}

TEST(Launcher, CutsTheProgramInFrontOfTheSwitchInAnyCase)
{
    const struct {
        const char* value;
        const CodePage& codePage;
        const char* candidate; // null: no switch
    } cases[] = {
        {"C:\\T\\RaraViro.exe /uninstall C:\\T\\x.log", kSingle, "C:\\T\\RaraViro.exe "},
        {"\"C:\\P F\\u.exe\" /UnInStAlL", kSingle, "\"C:\\P F\\u.exe\" "},
        {"/UNINSTALL", kSingle, ""},
        {"C:\\x/UNINSTALLER/UNINSTALL", kSingle, "C:\\x"},
        {"C:\\T\\u.exe /UNINSTAL", kSingle, nullptr},
        {"C:\\\x83/uninstall", kDouble, nullptr}, // begins at a second byte
        {"C:\\\x83\x61 /uninstall", kDouble, "C:\\\x83\x61 "},
    };
    for (const auto& c : cases) {
        std::string candidate = "untouched";
        EXPECT_EQ(CutUninstallerCandidate(c.value, c.codePage, candidate), c.candidate != nullptr) << c.value;
        EXPECT_EQ(candidate, c.candidate != nullptr ? c.candidate : "untouched");
    }
}

TEST(Text, UpperCasesWholeCharactersAndKeepsTheLength)
{
    std::string text = "az\x83\x61\x82\x81"; // a second byte is never a letter
    UpperCaseInPlace(text, kDouble);
    EXPECT_EQ(text, "AZ\x83\x61\x82\x60");
}

TEST(Text, CutsTheProgramNameFromTheCommandLine)
{
    const struct {
        std::string line;
        const CodePage& codePage;
        std::string tail;
    } cases[] = {
        {"\"C:\\Program Files\\Kit\\Quorvane.exe\"  /S", kSingle, "/S"},
        {"\"C:\\Kit\\Quorvane.exe\"/S", kSingle, "/S"}, // no blank needed after the quote
        {"\"C:\\Kit\\no closing quote /S", kSingle, ""},
        {"C:\\Kit\\Quorvane.exe /S /Q  ", kSingle, "/S /Q  "}, // trailing blanks stay
        {"Quorvane.exe\t\x01\x1F /S", kSingle, "/S"}, // every code from 1 to 32 is skipped
        {" Quorvane.exe /S", kSingle, "Quorvane.exe /S"}, // no name cut at all
        {"C:\\K\xE9\xFFs\\Q.exe /S", kSingle, "/S"}, // 128 to 255 belong to the name
        {"", kSingle, ""},
        {"\"C:\\\x83\"x\" /S", kDouble, "/S"}, // the quote after a lead byte is its second byte
        {"\"C:\\\x83", kDouble, ""}, // the end ends the name, even after a lead byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CutCommandTail(c.line, c.codePage), c.tail) << c.line;
    }
}

TEST(Text, ModuleDirectoryKeepsDriveAndDirectoryAndEndsInABackslash)
{
    const std::string longDirectory = "C:\\" + std::string(300, 'd') + "\\";
    const struct {
        std::string path;
        const CodePage& codePage;
        std::string directory;
    } cases[] = {
        {"C:\\A\\B\\x.exe", kSingle, "C:\\A\\B\\"},
        {"\\\\srv\\share\\x.exe", kSingle, "\\\\srv\\share\\"},
        {"C:x.exe", kSingle, "C:\\"},
        {"C:/A/x.exe", kSingle, "C:/A/\\"},
        {"", kSingle, "\\"},
        {longDirectory + "Quorvane.exe", kSingle, longDirectory}, // kept whole, never cut
        {"C:\\a\\\x83\x5Cx.exe", kDouble, "C:\\a\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ModuleDirectoryFromPath(c.path, c.codePage), c.directory) << c.path;
    }
}

TEST(Text, ChoosesTheProgramFileAsAProcessStartFindsIt)
{
    static std::set<std::string> existing;
    const struct {
        std::string name;
        const CodePage& codePage;
        std::set<std::string> files;
        std::string chosen;
    } cases[] = {
        {"C:\\K\\u.exe", kSingle, {"C:\\K\\u.exe"}, "C:\\K\\u.exe"},
        {"C:\\K\\u.exe", kSingle, {"C:\\K\\u.exe.com"}, ""}, // an extension: nothing is added
        {"C:\\K\\u", kSingle, {"C:\\K\\u.exe", "C:\\K\\u.com", "C:\\K\\u"}, "C:\\K\\u.com"},
        {"C:\\K\\u", kSingle, {"C:\\K\\u.cmd", "C:\\K\\u.bat"}, "C:\\K\\u.bat"},
        {"C:\\K\\u", kSingle, {"C:\\K\\u"}, ""},
        {"C:\\K.d\\u", kSingle, {"C:\\K.d\\u.exe"}, "C:\\K.d\\u.exe"}, // a dot in a folder is no extension
        {"C:\\K.a/u", kSingle, {"C:\\K.a/u.com"}, "C:\\K.a/u.com"},
        {"C:\\K\\u.", kSingle, {"C:\\K\\u."}, "C:\\K\\u."},
        {"C:\\K\\.u", kSingle, {"C:\\K\\.u.com"}, ""},
        {"u", kSingle, {"u.exe", ".\\u.exe"}, ".\\u.exe"}, // the current folder, nothing else
        {"Z:u", kSingle, {"Z:u.bat", ".\\Z:u.exe"}, "Z:u.bat"},
        {":u", kSingle, {":u.cmd"}, ":u.cmd"},
        {"\x83\x5Cu", kDouble, {".\\\x83\x5Cu.exe", "\x83\x5Cu.exe"}, ".\\\x83\x5Cu.exe"}, // 0x5C: a second byte
    };
    for (const auto& c : cases) {
        existing = c.files;
        UseCodePage(c.codePage);
        EXPECT_EQ(ChooseProgramFile(c.name, [](const std::string& file) { return existing.count(file) != 0; }),
                  c.chosen)
            << c.name;
    }
    UseCodePage(kSingle);
    // The child's command line: an empty second argument adds not even the blank.
    EXPECT_EQ(BuildChildCommandLine("u ", " a "), "u   a ");
    EXPECT_EQ(BuildChildCommandLine("u", ""), "u");
}

using LaunchSequence = FakePlatformTest;

TEST_F(LaunchSequence, TriesTheProductsInOrderAndMentionsOnlyEntriesThatNameAProgram)
{
    Fake().controlKey = {0x80};
    EXPECT_EQ(Launch(), -1);
    std::vector<std::string> keys;
    for (const char* name : {"Trelvo - Ruzod Iri!UninstallKey", "RedadaVador!UninstallKey", "TTAL!UninstallKey",
                             "TOVUninstallKey", "TrelvoQuent!UninstallKey", "TrelvoVantelo!UninstallKey",
                             "TrelvoLumio!UninstallKey", "TrelvoHeddle!UninstallKey"}) {
        keys.push_back(UninstallKey(name));
    }
    EXPECT_EQ(Fake().registryReads, keys);
    EXPECT_EQ(Fake().boxes, std::vector<FakeBox>{FakeBox(kNotFoundMessage, "Quorvane Error", 0x10)});

    Fake() = FakePlatform{};
    Fake().controlKey = {0x80};
    SetEntry(0, "C:\\A\\UN.exe"); // no switch: passed over silently
    SetEntry(1, "C:\\B\\UN.exe /UNINSTALL", Version(1, 2, 3, 8));
    // Without extension the file started is the first found with one, and its version counts.
    SetEntry(2, "C:\\C\\UN/UNINSTALL", Version(1, 2, 3, 9));
    Fake().files["C:\\C\\UN.com"] = 1;
    Fake().files["C:\\C\\UN.exe"] = Version(1, 2, 3, 9);
    SetEntry(3, "C:\\D\\UN/UNINSTALL");
    Fake().files["C:\\D\\UN.exe"] = Version(1, 3, 0, 0);
    SetEntry(4, "C:\\E\\UN.exe /UNINSTALL", Version(2, 0, 0, 0));
    EXPECT_EQ(Launch(), 0);
    EXPECT_EQ(Fake().registryReads, std::vector<std::string>(keys.begin(), keys.begin() + 4));
    EXPECT_EQ(Fake().runs, std::vector<FakeRun>{FakeRun("C:\\D\\UN.exe", "C:\\D\\UN", kParameters)});
    EXPECT_EQ(Fake().boxes, (std::vector<FakeBox>{Info("No UNxxx.exe or old version at'C:\\B\\UN.exe '"),
                                                  Info("No UNxxx.exe or old version at'C:\\C\\UN'"),
                                                  Info("RARAVIRO.exe or UNxxx.exe path: 'C:\\D\\UN'"),
                                                  Info("Start the installer with param: '" + kParameters + "'"),
                                                  Info("(Un-)Installer ready with return-value:0")}));
}

TEST_F(LaunchSequence, ShowsABoxOnlyWhileCtrlIsDownAndOnlyWhereOneCanBeSeen)
{
    SetEntry(0, "C:\\T\\UN.exe /UNINSTALL", Version(1, 2, 3, 9));
    Fake().childExitCode = 3;
    // Read anew for every box; only bit 7 says "down", the sign bit alone (-0x7FFF is 0x8001) not.
    Fake().controlKey = {-0x7FFF, 0x0081, -0x7FFF};
    EXPECT_EQ(Launch(), 0); // the installer's code is only shown
    EXPECT_EQ(Fake().boxes, std::vector<FakeBox>{Info("Start the installer with param: '" + kParameters + "'")});
    Fake().boxes.clear();
    Fake().controlKey = {0x80};
    Fake().stationVisible = false;
    EXPECT_EQ(Launch(), 0);
    EXPECT_TRUE(Fake().boxes.empty());

    Fake().stationVisible = true;
    Fake().modulePathHeld = false; // a folder without any name the code page can hold
    EXPECT_EQ(Launch(), -1);
    EXPECT_EQ(Fake().boxes.back(), FakeBox(kFolderNameMessage, "Quorvane Error", 0x10));
    EXPECT_EQ(Fake().runs.size(), 2u);
}

TEST_F(LaunchSequence, StartsAnInstallerThatNeedsAdministratorRightsThroughTheShell)
{
    SetEntry(0, "C:\\T\\UN/UNINSTALL"); // the file started is not the name on the command line
    Fake().files["C:\\T\\UN.exe"] = Version(1, 2, 3, 9);
    Fake().controlKey = {0x80};
    Fake().childExitCode = 3;
    const struct {
        RunOutcome start;
        bool visible, shellStarts;
        int exitCode;
        const char* shown; // the last box, or null for none
    } cases[] = {
        {RunOutcome::NeedsElevation, true, true, 0, "3"},
        {RunOutcome::NeedsElevation, true, false, -1, "-1"},
        {RunOutcome::NotStarted, true, true, -1, "-1"},
        {RunOutcome::NeedsElevation, false, true, -1, nullptr}, // nobody could consent
    };
    for (const auto& c : cases) {
        Fake().runs.clear();
        Fake().boxes.clear();
        Fake().startOutcome = c.start;
        Fake().stationVisible = c.visible;
        Fake().shellStarts = c.shellStarts;
        EXPECT_EQ(Launch(), c.exitCode);
        std::vector<FakeRun> runs = {FakeRun("C:\\T\\UN.exe", "C:\\T\\UN", kParameters)};
        if (c.start == RunOutcome::NeedsElevation && c.visible) {
            runs.emplace_back("C:\\T\\UN.exe", "", kParameters); // the same file through the shell
        }
        EXPECT_EQ(Fake().runs, runs);
        EXPECT_EQ(Fake().boxes.empty() ? "none" : std::get<0>(Fake().boxes.back()),
                  c.shown != nullptr ? std::string("(Un-)Installer ready with return-value:") + c.shown : "none");
    }
}
} // namespace

// The launcher's logic against the stand-in platform, on a single-byte, a 932-like and a UTF-8
// code page, including what Wine cannot show: consent, network drives, unnamed folders, rights.
#include "launcher/Diagnostics.h"
#include "launcher/LaunchSequence.h"
#include "launcher/UninstallerDiscovery.h"

#include "FakePlatform.h"

#include <map>
#include <regex>
#include <set>

namespace {
const CodePage kSingle = AsciiCodePage();
const CodePage kDouble = DoubleByteTestCodePage();
const CodePage kUtf8 = Utf8TestCodePage();

constexpr FileVersion64 Version(unsigned major, unsigned minor, unsigned build, unsigned revision)
{
    return (FileVersion64(major) << 48) | (FileVersion64(minor) << 32) | (FileVersion64(build) << 16) | revision;
}

const std::string kParameters = "/S /config=\"C:\\Kit\\setup.cfg\"";
const std::string kRanExit = "exit code 0 (QUORVANE_EXIT_CODE is not installer)";
using Lines = std::vector<std::string>;

// The launcher's exit code for "/S", returned or ended with.
int Launch()
{
    try {
        return RunLauncher("/S");
    } catch (const ProcessEnded& ended) {
        return ended.exitCode;
    }
}

struct TextCase {
    std::string text;
    const CodePage& codePage;
    std::string result;
    std::string (*cut)(const std::string&, const CodePage&) = nullptr;
};

TEST(Launcher, CutsTheProgramInFrontOfTheSwitchInAnyCase)
{
    const std::string none = "(no switch: left as it was)";
    const TextCase cases[] = {
        {"C:\\T\\RaraViro.exe /uninstall C:\\T\\x.log", kSingle, "C:\\T\\RaraViro.exe "},
        {"/UNINSTALL", kSingle, ""},
        {"U/UNINSTALL", kSingle, "U"},
        {"C:\\x/UNINSTALLER/UNINSTALL", kSingle, "C:\\x"},
        {"C:\\T\\u.exe /UNINSTAL", kSingle, none},
        {"C:\\\x83/uninstall", kDouble, none}, // begins at a second byte
        {"C:\\\x83\x61 /uninstall", kDouble, "C:\\\x83\x61 "},
        {"C:\\\xF0\x90\x90\xA8\xC3\xA9 /uninstall", kUtf8, "C:\\\xF0\x90\x90\xA8\xC3\xA9 "}, // four- and two-byte
        {"C:\\u /un\xC4\xB1nstall", kUtf8, none}, // the dotless i's I would shorten the text: not a switch
    };
    for (const auto& c : cases) {
        std::string candidate = none;
        EXPECT_EQ(CutUninstallerCandidate(c.text, c.codePage, candidate), c.result != none) << c.text;
        EXPECT_EQ(candidate, c.result);
    }
}

TEST(Text, UpperCasesWholeCharactersAndKeepsTheLength)
{
    const TextCase cases[] = {
        {"az\x83\x61\x82\x81", kDouble, "AZ\x83\x61\x82\x60"}, // a second byte is never a letter
        {"a\xC3\xA9\xF0\x90\x90\xA8\xC4\xB1\xC3", kUtf8, "A\xC3\x89\xF0\x90\x90\x80\xC4\xB1\xC3"},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        UpperCaseInPlace(text, c.codePage);
        EXPECT_EQ(text, c.result);
    }
    // UTF-8: a character's length from its first byte, where the continuation bytes follow.
    const std::pair<const char*, std::size_t> lengths[] = {{"\xC1\x80", 1},     {"\xC2\x80", 2},
                                                           {"\xE0\xA0\x80", 3}, {"\xF4\x8F\xBF\xBF", 4},
                                                           {"\xF5\x80", 1},     {"\xE0\xA0", 1}};
    for (const auto& length : lengths) {
        EXPECT_EQ(CharLength(length.first, 0, kUtf8), length.second) << length.first;
    }
}

TEST(Text, CutsTheProgramNameFromTheCommandLineAndTheFileNameFromTheModulePath)
{
    const auto tail = CutCommandTail, folder = ModuleDirectoryFromPath;
    const TextCase cases[] = {
        {"\"C:\\Program Files\\Kit\\Quorvane.exe\"  /S", kSingle, "/S", tail},
        {"\"C:\\Kit\\Quorvane.exe\"/S", kSingle, "/S", tail}, // no blank needed after the quote
        {"\"C:\\Kit\\no closing quote /S", kSingle, "", tail},
        {"C:\\Kit\\Quorvane.exe /S /Q  ", kSingle, "/S /Q  ", tail}, // trailing blanks stay
        {"Quorvane.exe\t\x01\x1F /S", kSingle, "/S", tail}, // every code from 1 to 32 is skipped
        {" Quorvane.exe /S", kSingle, "Quorvane.exe /S", tail}, // no name cut at all
        {"C:\\K\xE9\xFFs\\Q.exe /S", kSingle, "/S", tail}, // 128 to 255 belong to the name
        {"\"C:\\\x83\"x\" /S", kDouble, "/S", tail}, // the quote after a lead byte is its second byte
        {"\"C:\\\x83", kDouble, "", tail}, // the end ends the name, even after a lead byte
        {"\"C:\\\xF0\x9F\x98\x80\" /S", kUtf8, "/S", tail},
        {"\"C:\\\xF0\x9F\x98", kUtf8, "", tail}, // a character cut short at the end
        {"C:\\A\\B\\x.exe", kSingle, "C:\\A\\B\\", folder},
        {"C:x.exe", kSingle, "C:\\", folder},
        {"C:/A/x.exe", kSingle, "C:/A/\\", folder},
        {"", kSingle, "\\", folder},
        {"C:\\a\\\x83\x5Cx.exe", kDouble, "C:\\a\\", folder}, // 0x5C a second byte, no separator
        {"C:\\\xE3\x82\xBD\\x.exe", kUtf8, "C:\\\xE3\x82\xBD\\", folder},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.cut(c.text, c.codePage), c.result) << c.text;
    }
}

TEST(Text, ChoosesTheProgramFileAsAProcessStartFindsIt)
{
    static std::set<std::string> existing;
    const std::string utf8 = "\xC3\xA9.d\\\xF0\x9F\x98\x80"; // two- and four-byte characters
    const std::tuple<std::string, const CodePage&, std::set<std::string>, std::string> cases[] = {
        {"C:\\K\\u", kSingle, {"C:\\K\\u.exe", "C:\\K\\u.com", "C:\\K\\u"}, "C:\\K\\u.com"},
        {"C:\\K\\u", kSingle, {"C:\\K\\u.cmd", "C:\\K\\u.bat"}, "C:\\K\\u.bat"},
        {"C:\\K\\u", kSingle, {"C:\\K\\u"}, ""}, // never the name without the extensions
        {"C:\\K.d\\u", kSingle, {"C:\\K.d\\u.exe"}, "C:\\K.d\\u.exe"}, // a dot in a folder is no extension
        {"C:\\K.a/u", kSingle, {"C:\\K.a/u.com"}, "C:\\K.a/u.com"},
        {"C:\\K\\.u", kSingle, {"C:\\K\\.u.com"}, ""}, // an extension: nothing is added
        {"u", kSingle, {"u.exe", ".\\u.exe"}, ".\\u.exe"}, // the current folder, nothing else
        {".u", kSingle, {".\\.u", ".\\.u.com"}, ".\\.u"}, // a bare name beginning with its dot
        {"\\u", kSingle, {"\\u.exe", ".\\\\u.exe"}, "\\u.exe"}, // the current drive's root, not a bare name
        {"Z:u", kSingle, {"Z:u.bat", ".\\Z:u.exe"}, "Z:u.bat"},
        {":u", kSingle, {":u.cmd"}, ":u.cmd"},
        {"\x83\x5Cu", kDouble, {".\\\x83\x5Cu.exe", "\x83\x5Cu.exe"}, ".\\\x83\x5Cu.exe"}, // 0x5C: a second byte
        {utf8, kUtf8, {utf8 + ".cmd"}, utf8 + ".cmd"},
    };
    for (const auto& [name, codePage, files, chosen] : cases) {
        existing = files;
        UseCodePage(codePage);
        unsigned long error = 99;
        const auto look = [](const std::string& file) {
            return existing.count(file) != 0 ? 0UL : 2UL;
        };
        EXPECT_EQ(ChooseProgramFile(name, look, error), chosen) << name;
    }
    UseCodePage(kSingle);
}

TEST(Text, BuildsTheChildsCommandLineWithOneBlankBetween)
{
    EXPECT_EQ(BuildChildCommandLine("u ", " a "), "u   a ");
    EXPECT_EQ(BuildChildCommandLine("u ", ""), "u ");
}

// As a call answers that needs room for its zero, or as one that cuts the text to the buffer.
TEST(Text, ReadsWhatACallWritesHoweverLong)
{
    static const struct {
        std::size_t length;
        bool cuts;
        std::size_t calls;
    } cases[] = {{259, false, 1}, {260, false, 2}, {700, true, 3}, {40000, true, 8}, {0, false, 1}};
    static std::size_t row = 0, calls = 0;
    static const wchar_t* const input = L"input";
    for (row = 0; row < std::size(cases); ++row) {
        calls = 0;
        unsigned long error = 0;
        const WideText text = ReadGrowing(
            [](const wchar_t* given, wchar_t* buffer, std::size_t capacity, unsigned long& failure) -> std::size_t {
                failure = given == input ? ++calls : 0; // the last call's error
                if (cases[row].length >= capacity) {
                    return cases[row].cuts ? capacity : cases[row].length + 1;
                }
                std::fill(buffer, buffer + cases[row].length, L'x');
                return cases[row].length;
            },
            input, error);
        EXPECT_EQ(text, cases[row].length < 0x8000 ? WideText(cases[row].length, L'x') : WideText()) << row;
        EXPECT_EQ(calls, cases[row].calls) << row;
        EXPECT_EQ(error, cases[row].calls) << row;
    }
}

// A surrogate is one half of a pair only beside its other half, U+D800 to U+DFFF.
TEST(Text, ReplacesLoneSurrogates)
{
    WideText halves = {0xDBFF, 0xDFFF, 0xD800, 0xDC00, L'a', 0xDC00, 0xDBFF};
    EXPECT_TRUE(ReplaceLoneSurrogates(halves));
    EXPECT_EQ(halves, (WideText{0xDBFF, 0xDFFF, 0xD800, 0xDC00, L'a', L'?', L'?'}));
    EXPECT_FALSE(ReplaceLoneSurrogates(halves));
}

using PathNames = FakePlatformTest;

TEST_F(PathNames, TakeTheShortFormOfAFolderTheCodePageLacks)
{
    const std::wstring lodz = L"C:\\\x141od\x17A\\";
    Fake().shortForms[W(lodz)] = W("C:\\ODZ~1\\");
    Fake().shortForms[W(L"C:/\x141/")] = W("C:/L~1/");
    // only the module's folder names setup.cfg; its own name may lose characters (failures: the version's rows)
    Fake().modulePath = W(lodz + L"Q\x141.exe");
    std::string module;
    unsigned long error = 0;
    EXPECT_TRUE(GetModulePath(module, error));
    EXPECT_EQ(module, "C:\\ODZ~1\\Q?.exe");
    // a program from the registry: without extension only its folder has a short form; blanks stay
    const std::pair<std::wstring, std::string> programs[] = {
        {lodz + L"UN  ", "C:\\ODZ~1\\UN  "}, {lodz + L"UN\x141  ", ""}, {L"C:/\x141/U", "C:/L~1/U"}};
    for (const auto& [wide, named] : programs) {
        std::string ansi = "stale";
        EXPECT_EQ(AnsiProgramPath(W(wide), ansi), !named.empty()) << named;
        EXPECT_EQ(ansi, named);
    }
}

using LaunchSequence = FakePlatformTest;

Lines RunSteps(const std::string& path, const std::string& parameters, const std::string& code)
{
    return {"RARAVIRO.exe or UNxxx.exe path: '" + path + "'", "Start the installer with param: '" + parameters + "'",
            "(Un-)Installer ready with return-value:" + code};
}

TEST_F(LaunchSequence, TriesTheProductsInOrderAndMentionsOnlyEntriesThatNameAProgram)
{
    Fake().controlKey = {0x80};
    EXPECT_EQ(Launch(), -1);
    Lines keys;
    for (const char* name : {"Trelvo - Ruzod Iri!UninstallKey", "RedadaVador!UninstallKey", "TTAL!UninstallKey",
                             "TOVUninstallKey", "TrelvoQuent!UninstallKey", "TrelvoVantelo!UninstallKey",
                             "TrelvoLumio!UninstallKey", "TrelvoHeddle!UninstallKey"}) {
        keys.push_back(UninstallKey(name));
    }
    EXPECT_EQ(Fake().registryReads, keys);

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
    EXPECT_EQ(Fake().registryReads, Lines(keys.begin(), keys.begin() + 4));
    EXPECT_EQ(Fake().runs, (std::vector<FakeRun>{{"C:\\D\\UN.exe", "C:\\D\\UN", kParameters, ""}}));
    ASSERT_EQ(Fake().boxes.size(), 5u); // then the run's steps
    EXPECT_EQ(std::vector<FakeBox>(Fake().boxes.begin(), Fake().boxes.begin() + 2),
              (std::vector<FakeBox>{{"No UNxxx.exe or old version at'C:\\B\\UN.exe '", "Quorvane Debug-Info", 0},
                                    {"No UNxxx.exe or old version at'C:\\C\\UN'", "Quorvane Debug-Info", 0}}));
}

// An expandable entry with the machine's variables (the launcher's own are proven unused under Wine).
TEST_F(LaunchSequence, SaysWhyAnEntryIsPassedOver)
{
    const char machine[] = "=C:=C:\\\0SystemDrive=C:\0DZ=C:\0AZ=C:\\PF\0\xC9Z=T\0";
    Fake().machineEnvironment = W(std::string(machine, sizeof machine - 1));
    Fake().errorTexts[5] = "Access is denied.\r\n";
    const auto plain = kRegistryString, expandable = kRegistryExpandableString;
    const auto read = RegistryRead::Read, notAString = RegistryRead::NotAString;
    const FileVersion64 usable = Version(1, 2, 3, 9), old = Version(1, 2, 3, 8);
    const std::string a = "C:\\A\\U.exe ", notHere = " (Windows error 2)",
                      view = sizeof(void*) == 4 ? "32-bit view" : "64-bit view";
    const std::string u = "C:\\A\\U.exe /UNINSTALL", percent = "C:\\5%\\T\\U.exe ", unc = "\\\\s\\%A/%\\U.exe ";
    const std::string driveOnly = "%DZ%%A/%U /UNINSTALL", driveAndName = "%DZ%x%A/%U /UNINSTALL";
    const std::string unexpanded = "its UninstallString '%AZ%\\U /UNINSTALL' could not be expanded: the machine's "
                                   "variables cannot be had (Windows error 8)";
    const auto undefined = [](const std::string& value, const char* name) {
        return "its UninstallString '" + value + "' names the variable " + name +
               ", which is not defined on this machine";
    };
    struct Stored {
        std::string value;
        std::uint32_t type;
        RegistryRead read;
    };
    struct Errors {
        unsigned long version = 1813, machine = 0,
                      fullPath = 0; // why a version, the variables, a full path cannot be had
    };
    const struct {
        Stored stored;
        std::map<std::string, FileVersion64> files;
        std::string outcome; // the passed-over reason, or the path taken
        Errors errors = {};
    } cases[] = {
        {{"", 0, RegistryRead::NoKey}, {}, "no such entry in the registry's " + view + ", which this launcher reads"},
        {{"", 0, RegistryRead::NoValue}, {}, "the entry has no UninstallString"},
        {{"", 4, notAString}, {}, "its UninstallString is REG_DWORD, not a string (REG_SZ or REG_EXPAND_SZ)"},
        {{"", plain, RegistryRead::Failed},
         {},
         "its UninstallString cannot be read (Windows error 5: Access is denied)"},
        {{u, expandable, read}, {{a, usable}}, a}, // no variable: as stored
        {{u, plain, read}, {{a, old}}, "file version 1.2.3.8 of '" + a + "', below 1.2.3.9"},
        {{u, plain, read}, {{a, 0}}, "no version resource in '" + a + "'"},
        {{u, plain, read}, {{a, 0}}, "no version resource in '" + a + "'", {/*version*/ 1812}},
        {{u, plain, read}, {{a, 0}}, "file version 0.0.0.0 of '" + a + "', below 1.2.3.9", {/*version*/ 0}},
        {{u, plain, read}, {}, "no such file '" + a + "'" + notHere},
        {{"C:\\A\\U /UNINSTALL", plain, read}, {}, "no such file 'C:\\A\\U ' with .com, .exe, .bat or .cmd" + notHere},
        // "%%" names nothing
        {{"%SystemDrive%%%%AZ%\\U /UNINSTALL", expandable, read}, {{"C:%%C:\\PF\\U .exe", usable}}, "C:%%C:\\PF\\U "},
        {{"%AZ%\\U.exe /UNINSTALL", plain, read},
         {{"C:\\PF\\U.exe ", usable}},
         "no such file '%AZ%\\U.exe '" + notHere},
        {{"%AZ%\\U /UNINSTAL%AZ", expandable, read},
         {},
         "no /UNINSTALL in its UninstallString 'C:\\PF\\U /UNINSTAL%AZ'"},
        // only the program's part decides: after the switch an undefined name and a lone '%'; in
        // front of it the '%' of a folder's name. Names match in any letter case, beyond ASCII.
        {{"%az%\\U.exe /UNINSTALL /LOG=%MZ%\\u.log", expandable, read}, {{"C:\\PF\\U.exe ", usable}}, "C:\\PF\\U.exe "},
        {{"%SystemDrive%\\U.exe /UNINSTALL /P=50% /L=%MZ%", expandable, read}, {{"C:\\U.exe ", usable}}, "C:\\U.exe "},
        {{"C:\\5%\\%\xE9z%\\U.exe /UNINSTALL", expandable, read}, {{percent, usable}}, percent},
        // ... in a path with its root only: without one, it would be sought in the current folder
        {{driveOnly, expandable, read}, {{"C:%A/%U .exe", usable}}, undefined(driveOnly, "A/")},
        {{driveAndName, expandable, read}, {{"C:x%A/%U .exe", usable}}, undefined(driveAndName, "A/")},
        {{"\\\\s\\%A/%\\U.exe /UNINSTALL", expandable, read}, {{unc, usable}}, unc}, // a share's path has its root
        {{"\\\\%A/%\\U.exe /UNINSTALL", expandable, read}, {{"\\\\%A/%\\U.exe ", usable}}, "\\\\%A/%\\U.exe "},
        {{"C:\\%A/%\\U.exe /UNINSTALL", expandable, read}, {{"C:\\%A/%\\U.exe ", usable}}, "C:\\%A/%\\U.exe "},
        {{"\\s%A/%\\U /UNINSTALL", expandable, read}, {}, undefined("\\s%A/%\\U /UNINSTALL", "A/")}, // no root
        {{"s\\%A/%\\U /UNINSTALL", expandable, read}, {}, undefined("s\\%A/%\\U /UNINSTALL", "A/")}, // separator second
        {{"C:\\%QZ%\\U /UNINSTALL", expandable, read}, {}, undefined("C:\\%QZ%\\U /UNINSTALL", "QZ")},
        // a name never begins a variable at its '='
        {{"%AZ%%C:%\\U /UNINSTALL", expandable, read}, {}, undefined("%AZ%%C:%\\U /UNINSTALL", "C:")},
        {{"%AZ%\\U /UNINSTALL", expandable, read}, {}, unexpanded, {1813, /*machine*/ 8}},
        // without the machine's variables, a program's part without one is judged as it stands
        {{u + " /LOG=%TEMP%\\x.log", expandable, read}, {{a, usable}}, a, {1813, /*machine*/ 8}},
        // a full path that cannot be made says why
        {{u, plain, read},
         {{a, usable}},
         "its version cannot be read (Windows error 206), file '" + a + "'",
         {1813, 0, /*fullPath*/ 206}},
    };
    for (const auto& c : cases) {
        Fake().uninstallStrings[UninstallKey("Entry")] = {W(c.stored.value), c.stored.type, c.stored.read};
        Fake().files = c.files;
        Fake().versionError = c.errors.version;
        Fake().machineEnvironmentError = c.errors.machine;
        Fake().fullPathError = c.errors.fullPath;
        Uninstaller found{"untouched", "", ""};
        if (CheckUninstallEntry("Entry", found)) {
            EXPECT_EQ(found.path, c.outcome);
        } else {
            EXPECT_EQ(found.path, "untouched");
            EXPECT_EQ(Fake().debugOutput.back(), "Entry passed over: " + c.outcome);
        }
    }
}

TEST_F(LaunchSequence, NamesAProgramTheCodePageLacksByItsShortForm)
{
    CodePage westernEuropean = kSingle;
    westernEuropean.id = 1252;
    const std::tuple<const CodePage&, std::wstring, std::wstring, std::string> cases[] = {
        // a surrogate pair is one character; katakana SO, whose second byte is a backslash; a
        // lone surrogate, which has no UTF-8 form; no short form: no name
        {westernEuropean, L"C:\\\x141\xD83D\xDE00\\U.x", L"C:\\L~1\\U.X", "C:\\L~1\\U.X "},
        {kDouble, L"C:\\\x30BD\\\x141\\U.x", L"C:\\\x30BD\\L~1\\U.X", "C:\\\x83\x5C\\L~1\\U.X "},
        {kUtf8, L"C:\\\x141\\\xD800\\U.x", L"C:\\L~1\\X~1\\U.X", "C:\\L~1\\X~1\\U.X "},
        {westernEuropean, L"C:\\\x141\\U", L"", ""},
    };
    for (const auto& [codePage, program, shortForm, named] : cases) {
        UseCodePage(codePage);
        Fake().uninstallStrings[UninstallKey("Entry")] = {W(program + L" /UNINSTALL")};
        Fake().shortForms[W(program)] = W(shortForm);
        Fake().files[named] = Version(1, 2, 3, 9);
        Uninstaller found;
        EXPECT_EQ(CheckUninstallEntry("Entry", found), !named.empty()) << codePage.id;
        EXPECT_EQ(found.path, named);
        EXPECT_EQ(found.file, named);
    }
    EXPECT_EQ(Fake().debugOutput.back(),
              "Entry passed over: its program 'C:\\?\\U ' has no name in code page 1252, nor a short one");
    // A pair directly before the switch ends the program with it.
    Fake().uninstallStrings[UninstallKey("Entry")] = {W(L"C:\\\x141\\U.x\xD83D\xDE00/UNINSTALL")};
    Fake().shortForms[W(L"C:\\\x141\\U.x\xD83D\xDE00")] = W("C:\\L~1\\U~1.X");
    Fake().files["C:\\L~1\\U~1.X"] = Version(1, 2, 3, 9);
    Uninstaller found;
    EXPECT_TRUE(CheckUninstallEntry("Entry", found));
    EXPECT_EQ(found.path, "C:\\L~1\\U~1.X");
    UseCodePage(kSingle);
}

TEST_F(LaunchSequence, ShowsABoxOnlyWhileCtrlIsDownAndOnlyWhereOneCanBeSeen)
{
    SetEntry(0, "C:\\T\\UN.exe /UNINSTALL", Version(1, 2, 3, 9));
    Fake().childExitCode = 3;
    const Lines run = RunSteps("C:\\T\\UN.exe ", kParameters, "3");
    const std::string &path = run[0], &start = run[1], &ready = run[2];
    const std::string failed = "exit code -1", unseen = "(no box: nobody can see this session)",
                      folder = std::regex_replace(kFolderNameMessage, std::regex("\n"), " "); // traced on one line
    const SessionFacts seen{true, 1}, hiddenStation{false, 1}, serviceSession{true, 0}, sessionUntold{true, -1};
    struct Setting {
        std::vector<short> controlKey; // read anew for every box
        SessionFacts session;
        bool folderNamed;
    };
    const struct {
        Setting setting;
        Lines boxes, traced; // shown, and in the debug output
        int exitCode; // the installer's own is only shown
    } cases[] = {
        // only bit 7 says "down" (-0x7FFF is 0x8001)
        {{{-0x7FFF, 0x0081, -0x7FFF}, seen, true}, {start}, {path, start, ready, kRanExit}, 0},
        {{{0x80}, hiddenStation, true}, {}, {path, unseen, start, unseen, ready, unseen, kRanExit}, 0},
        {{{0x80}, sessionUntold, true}, {path, start, ready}, {path, start, ready, kRanExit}, 0},
        {{{0}, seen, false}, {kFolderNameMessage}, {path, folder, failed}, -1},
        {{{0}, serviceSession, false}, {}, {path, folder, unseen, failed}, -1},
    };
    for (const auto& c : cases) {
        Fake().controlKey = c.setting.controlKey;
        Fake().controlKeyReads = 0;
        Fake().session = c.setting.session;
        Fake().modulePath = W(c.setting.folderNamed ? L"C:\\Kit\\Quorvane.exe" : L"C:\\\x141\\Quorvane.exe");
        Fake().boxes.clear();
        Fake().debugOutput.clear();
        EXPECT_EQ(Launch(), c.exitCode);
        Lines shown;
        for (const FakeBox& box : Fake().boxes) {
            shown.push_back(std::get<0>(box));
        }
        EXPECT_EQ(shown, c.boxes);
        EXPECT_EQ(Fake().debugOutput, c.traced);
    }
    EXPECT_EQ(Fake().runs.size(), 3u); // not with a folder the code page cannot name
}

TEST_F(LaunchSequence, OpensTheDebugOutputWithWhatSupportAsksFirst)
{
    Fake().files["C:\\Kit\\Quorvane.exe"] = Version(1, 0, 0, 9);
    Fake().windows = {true, 10, 0, 19045};
    Fake().windows64Bit = Answer::Yes;
    Fake().session = {true, 0}; // the services' session: known, and nobody sees a box there
    UseCodePage(kDouble);
    TraceStart("\"C:\\Kit\\Quorvane.exe\" /D=\"a b\" ?", false, "C:\\T\\Quorvane-1.log");
    EXPECT_EQ(Fake().debugOutput,
              (Lines{"version 1.0.0.9; Windows 10.0.19045; 64-bit: yes; rights: ?; session: 0; box can be seen: no; "
                     "code page: 932; log: C:\\T\\Quorvane-1.log; command line: \"C:\\Kit\\Quorvane.exe\" /D=\"a b\" ?",
                     "the DLL search cannot be kept to the system folder on this Windows (Vista, or 7 without "
                     "KB2533623): only the launcher's own DLL loads are; a DLL planted beside it may be loaded by the "
                     "system's libraries"}));
    // What the system does not tell is "?", never a failed launch; the rights as support needs them.
    UseCodePage(kSingle);
    // The launcher's own version says why it is unknown: no module path, a folder without a name, no resource.
    Fake() = FakePlatform{};
    Fake().files["C:\\Kit\\Quorvane.exe"] = 0;
    const std::tuple<TokenFacts, std::wstring, std::string> rows[] = {
        {{true, 3, false}, L"", "? (Windows error 5); Windows ?; 64-bit: ?; rights: administrator, not elevated"},
        {{false, 2, true}, L"C:\\\x141\\Q.exe", "? (Windows error 1113); Windows ?; 64-bit: ?; rights: ?"},
        {{true, 2, true}, L"C:\\Kit\\Quorvane.exe", "? (Windows error 1813); Windows ?; 64-bit: ?; rights: elevated"},
        {{true, 1, true}, L"C:\\Kit\\Q.exe", "? (Windows error 2); Windows ?; 64-bit: ?; rights: elevated"},
        {{true, 1, false}, L"C:\\Kit\\Q.exe", "? (Windows error 2); Windows ?; 64-bit: ?; rights: standard user"},
    };
    for (const auto& [token, module, start] : rows) {
        Fake().token = token;
        Fake().modulePath = W(module);
        Fake().debugOutput.clear();
        TraceStart("", true, "off");
        EXPECT_EQ(
            Fake().debugOutput,
            (Lines{"version " + start + "; session: ?; box can be seen: yes; code page: 0; log: off; command line: "}));
    }
}

// The elevated installer has no drive mappings: a mapped folder goes in its network form.
TEST_F(LaunchSequence, StartsTheInstallerAndSaysWhyAStartFailed)
{
    SetEntry(0, "C:\\T\\UN/UNINSTALL"); // the file started is not the name on the command line
    Fake().files["C:\\T\\UN.exe"] = Version(1, 2, 3, 9);
    Fake().childExitCode = 3;
    Fake().modulePath = W("Z:\\Kit\\Quorvane.exe");
    Fake().errorTexts[193] = "%1: 100% not a valid Win32 application, %1.\r\n";
    const std::string local = "/S /config=\"Z:\\Kit\\setup.cfg\"", share = "\\\\srv\\kits\\";
    const FakeRun plain{"C:\\T\\UN.exe", "C:\\T\\UN", local, ""}, shell{"C:\\T\\UN.exe", "", local, "Z:\\W"};
    const std::string rights = "the installer needs administrator rights", start = "the start of 'C:\\T\\UN.exe': ";
    const std::string consented = rights + ": started through the shell, which asked for consent",
                      shellStart = rights + ": the shell start of 'C:\\T\\UN.exe': ";
    const std::string gone = "the file is not there any more, though its version was read (Windows error 2)";
    const std::string untold = " lies on a network drive whose share cannot be told (Windows error 1222): the "
                               "elevated installer may not see it";
    using Drives = std::map<char, std::pair<NetworkForm, std::string>>;
    const Drives mapped = {{'Z', {NetworkForm::Found, "\\\\srv\\kits"}}},
                 unknown = {{'Z', {NetworkForm::Unavailable, ""}}};
    const std::vector<FakeRun> once{plain}, twice{plain, shell};
    const FakeStart elevate{RunOutcome::NeedsElevation};
    const struct {
        FakeStart plain, shell; // the error only where the launcher reads it
        std::vector<FakeRun> runs;
        Lines said; // between the parameters and the installer's exit code; it ran where none or consent ends it
        Drives drives = {}; // else local, also a subst drive, which takes its target's kind
        std::string currentDirectory = "Z:\\W"; // "": none the code page can name
        bool visible = true;
    } cases[] = {
        {{}, {}, once, {}, mapped}, // a plain start: the paths as they are
        {{RunOutcome::NotStarted, 193},
         {},
         once,
         {start + "failed (Windows error 193: it: 100% not a valid Win32 application, it)"}},
        {{RunOutcome::NoFile, 2}, {}, once, {start + gone}},
        {{RunOutcome::EndUnknown, 6},
         {},
         once,
         {start + "it ran, but its end or exit code could not be read (Windows error 6)"}},
        {{RunOutcome::OutOfMemory}, {}, once, {start + "not enough memory"}},
        {elevate, {}, twice, {consented}},
        {elevate, {RunOutcome::NotStarted, 1223}, twice, {shellStart + "the user declined consent"}},
        {elevate, {RunOutcome::NotStarted, 5}, twice, {shellStart + "failed (Windows error 5)"}},
        {elevate, {RunOutcome::NoFile, 2}, twice, {shellStart + gone}},
        {elevate,
         {RunOutcome::NoShell, 126},
         twice,
         {shellStart + "not tried: the shell's library could not be loaded (Windows error 126)"}},
        {elevate, {}, once, {rights + ", and nobody can consent in this session: not started"}, {}, "Z:\\W", false},
        {elevate,
         {},
         {plain, {"C:\\T\\UN.exe", "", "/S /config=\"" + share + "Kit\\setup.cfg\"", share + "W"}},
         {"the launcher's folder lies on a network drive: the elevated installer is given it as '" + share + "Kit\\'",
          "the current folder lies on a network drive: the elevated installer is given it as '" + share + "W'",
          consented},
         mapped},
        {elevate,
         {},
         twice,
         {"the launcher's folder 'Z:\\Kit\\'" + untold, "the current folder 'Z:\\W'" + untold, consented},
         unknown},
        // a current folder without a name: the shell is given none, and takes the current one
        {elevate,
         {},
         {plain, {"C:\\T\\UN.exe", "", local, ""}},
         {"the current folder has no name in code page 0: the shell starts the installer in it by the system's own "
          "name for it",
          consented},
         {},
         ""},
    };
    for (const auto& c : cases) {
        Fake().runs.clear();
        Fake().debugOutput.clear();
        Fake().plainStart = c.plain;
        Fake().shellStart = c.shell;
        Fake().session.stationVisible = c.visible;
        Fake().drives = c.drives;
        Fake().currentDirectory = c.currentDirectory;
        const bool ran = c.said.empty() || c.said.back() == consented;
        EXPECT_EQ(Launch(), ran ? 0 : -1) << c.said.size();
        EXPECT_EQ(Fake().runs, c.runs);
        Lines texts = RunSteps("C:\\T\\UN", local, ran ? "3" : "-1");
        texts.insert(texts.end() - 1, c.said.begin(), c.said.end());
        texts.push_back(ran ? kRanExit : "exit code -1");
        EXPECT_EQ(Fake().debugOutput, texts);
    }
}

// The installer's own code once it ran, where QUORVANE_EXIT_CODE=installer asks for it.
TEST_F(LaunchSequence, PassesTheInstallersExitCodeOnOnlyWhereAsked)
{
    SetEntry(0, "C:\\T\\UN.exe /UNINSTALL", Version(1, 2, 3, 9));
    const std::string rule = " (the installer's: QUORVANE_EXIT_CODE=installer)";
    const std::tuple<const char*, int, int, std::string> cases[] = {
        {"INSTALLER", -2, -2, "exit code -2" + rule},
        {"installer ", 3010, 0, kRanExit},
    };
    for (const auto& [variable, installer, exitCode, line] : cases) {
        Fake().environment = {{"QUORVANE_EXIT_CODE", W(variable)}};
        Fake().childExitCode = installer;
        EXPECT_EQ(Launch(), exitCode) << variable;
        EXPECT_EQ(Fake().debugOutput.back(), line);
    }
    Fake().plainStart.outcome = RunOutcome::NotStarted; // an installer that never ran is no success
    EXPECT_EQ(Launch(), -1);
}

TEST_F(LaunchSequence, LeavesALogOfEveryLineWithoutChangingTheLaunch)
{
    const std::string name = "Quorvane-20261207-141344-4242", temporary = "C:\\T\\" + name;
    struct Folder {
        const char* variable; // QUORVANE_LOG; null: not set
        int taken; // names in use already: the first, then -2, ...
    };
    struct Disk {
        unsigned long createError;
        std::size_t writesLeft;
        bool removable = true; // files made there can be removed
    };
    const auto temp = Folder{nullptr, 0};
    const auto roomy = Disk{0, SIZE_MAX};
    const struct {
        Folder folder;
        Disk disk;
        std::string log; // what the opening line tells
        std::string file; // the file left; "": none
    } cases[] = {
        {{"oFf", 0}, roomy, "off (QUORVANE_LOG=off)", ""}, // the launch as the others must leave it
        {{"D:\\Logs", 0}, roomy, "D:\\Logs\\" + name + ".log", "D:\\Logs\\" + name + ".log"},
        {{"", 2}, roomy, temporary + "-3.log", temporary + "-3.log"}, // set but empty: as not set
        {{"D:\\No\\", 0}, {3, SIZE_MAX}, "none, D:\\No\\" + name + ".log could not be created (Windows error 3)", ""},
        {temp, {0, 0}, "none, " + temporary + ".log could not be written (Windows error 112)", ""}, // none left behind
        {temp,
         {0, 0, false},
         "none, " + temporary + ".log could not be written (Windows error 112); the empty file stays (Windows error 5)",
         temporary + ".log"},
        {temp, {0, 3}, temporary + ".log", temporary + ".log"}, // the disk full after two lines
        {{nullptr, 100}, roomy, "none, every name up to " + temporary + "-100.log is taken", ""},
    };
    using Logs = std::map<WideText, std::string>;
    Lines unlogged;
    for (const auto& c : cases) {
        Fake() = FakePlatform{};
        SetEntry(0, "C:\\T\\UN.exe /UNINSTALL", Version(1, 2, 3, 9));
        if (c.folder.variable != nullptr) {
            Fake().environment["QUORVANE_LOG"] = W(c.folder.variable);
        }
        for (int taken = 1; taken <= c.folder.taken; ++taken) {
            Fake().takenNames.insert(W(temporary + (taken == 1 ? "" : "-" + std::to_string(taken)) + ".log"));
        }
        Fake().createError = c.disk.createError;
        Fake().logWritesLeft = c.disk.writesLeft;
        Fake().logsRemovable = c.disk.removable;
        TraceStart("Q.exe /S", true, StartLog());
        Launch();
        const std::string& opening = Fake().debugOutput.at(0);
        EXPECT_EQ(opening.substr(opening.find("; log: ")), "; log: " + c.log + "; command line: Q.exe /S");
        Lines said(Fake().debugOutput.begin() + 1, Fake().debugOutput.end());
        if (c.disk.writesLeft == 3) { // the one line a failing write costs
            EXPECT_EQ(said.at(2),
                      "the log " + c.file + " could not be written (Windows error 112); no more lines go there");
            said.erase(said.begin() + 2);
        }
        unlogged = unlogged.empty() ? said : unlogged;
        EXPECT_EQ(said, unlogged) << c.log;
        // The byte-order mark, then every line written before a failure.
        std::string logged = c.disk.writesLeft == 0 ? "" : "\xEF\xBB\xBF";
        for (std::size_t line = 0; line + 1 < std::min(c.disk.writesLeft, Fake().debugOutput.size() + 1); ++line) {
            logged += "2026-12-07 14:13:44.123 Quorvane: " + Fake().debugOutput[line] + "\r\n";
        }
        EXPECT_EQ(Fake().logs, (c.file.empty() ? Logs() : Logs{{W(c.file), logged}})) << c.log;
        if (c.disk.writesLeft != SIZE_MAX) { // a log that takes no more lines is closed at once
            EXPECT_TRUE(Fake().openLog.empty()) << c.log;
        }
    }
    Fake().temporaryFolder.clear();
    EXPECT_EQ(StartLog(), "none, no temporary folder (Windows error 5)");
}
} // namespace

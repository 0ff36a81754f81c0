// The shipped launcher as its users meet it: started with an exact command line, against
// real uninstall entries in the 32-bit registry view and real uninstaller programs, its
// message boxes read off the screen and its full exit code checked.
#include "LaunchObserver.h"
#include "WineTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {
const char* const kUninstallList = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char* const kProducts[] = {
    "Trelvo - Ruzod Iri!UninstallKey",
    "RedadaVador!UninstallKey",
    "TTAL!UninstallKey",
    "TOVUninstallKey",
    "TrelvoQuent!UninstallKey",
    "TrelvoVantelo!UninstallKey",
    "TrelvoLumio!UninstallKey",
    "TrelvoHeddle!UninstallKey",
    "TOV!UninstallKey",
};
const char* const kConfig = "[Setup]\r\nLanguage=de\r\n";
const char* const kNotFound = "No Trelvo/RedadaVador/TrelvoTalo/TrelvoOrvendel/TrelvoQuent/\n"
                              "TrelvoVantelo/TrelvoLumio/TrelvoHeddle installer (=uninstaller) found.\n"
                              "Please install one of these demos first.";

// Writes a product's UninstallString as the given bytes.
void SetEntryBytes(const std::string& subkeyName, DWORD type, const void* data, DWORD size,
                   REGSAM view = KEY_WOW64_32KEY)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kUninstallList + subkeyName).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "UninstallString", 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

// Writes a product's UninstallString as text with its terminating zero.
void SetEntry(const std::string& subkeyName, DWORD type, const std::string& data, REGSAM view = KEY_WOW64_32KEY)
{
    SetEntryBytes(subkeyName, type, data.c_str(), static_cast<DWORD>(data.size() + 1), view);
}

void RemoveEntries()
{
    for (const char* product : kProducts) {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, (kUninstallList + std::string(product)).c_str(), view, 0);
        }
    }
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveEntries();
        kit_ = scratch_.path() + "Kit\\";
        products_ = scratch_.path() + "Products\\";
        reports_ = scratch_.path() + "Reports\\";
        for (const std::string& directory : {kit_, products_, reports_}) {
            CreateDirectoryA(directory.c_str(), nullptr);
        }
        launcher_ = kit_ + "Quorvane.exe";
        PlaceLauncher(Wide(kit_));
        SetEnvironmentVariableA("QUORVANE_REPORT", (reports_ + "report.txt").c_str());
        SetEnvironmentVariableA("QUORVANE_MARK", "from the launcher's parent");
        SetEnvironmentVariableA("QUORVANE_EXIT", "0");
    }
    void TearDown() override
    {
        RemoveEntries();
        SetEnvironmentVariableA("QUORVANE_REPORT", nullptr);
        SetEnvironmentVariableA("QUORVANE_EXIT", nullptr);
    }

    // Quorvane.exe as shipped, with a setup.cfg beside it. Wide, for folder names the
    // ANSI code page lacks.
    static std::wstring PlaceLauncher(const std::wstring& folder, const std::string& config = kConfig)
    {
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring launcher = folder + L"Quorvane.exe";
        // QUORVANE_LAUNCHER names another build to try, such as a signed one.
        const char* shipped = std::getenv("QUORVANE_LAUNCHER");
        const std::string source = shipped != nullptr ? shipped : TestProgramDirectory() + "Quorvane.exe";
        EXPECT_TRUE(CopyFileW(Wide(source).c_str(), launcher.c_str(), FALSE)) << source;
        HANDLE file =
            CreateFileW((folder + L"setup.cfg").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file, config.data(), static_cast<DWORD>(config.size()), &written, nullptr));
        CloseHandle(file);
        return launcher;
    }
    // A copy of a test uninstaller ("1239", "1238", "plain", ...) under Products\.
    std::string PlaceUninstaller(const std::string& variant, const std::string& relativePath)
    {
        const std::string target = products_ + relativePath;
        // Every folder on the way, found by characters so that a double-byte name is not
        // split at a second byte that looks like a backslash.
        for (const char* at = relativePath.c_str(); *at != '\0'; at = CharNextA(at)) {
            if (*at == '\\') {
                CreateDirectoryA((products_ + std::string(relativePath.c_str(), at)).c_str(), nullptr);
            }
        }
        EXPECT_TRUE(
            CopyFileA((TestProgramDirectory() + "uninstaller_" + variant + ".exe").c_str(), target.c_str(), FALSE))
            << variant;
        return target;
    }
    // Installs product index (0-based) with an uninstaller of the given variant.
    std::string Install(int index, const std::string& variant)
    {
        const std::string program = PlaceUninstaller(variant, "P" + std::to_string(index) + "\\RARAVIRO.exe");
        SetEntry(kProducts[index], REG_SZ, program + " /UNINSTALL /LOG");
        return program;
    }
    // The launcher started with its full path in quotes, as Explorer starts it.
    LaunchOptions Started(const std::wstring& arguments, const std::wstring& launcher = L"") const
    {
        LaunchOptions options;
        options.program = launcher.empty() ? Wide(launcher_) : launcher;
        options.commandLine = L"\"" + options.program + L"\"" + arguments;
        return options;
    }
    LaunchResult Run(const LaunchOptions& options)
    {
        DeleteFileA((reports_ + "report.txt").c_str());
        const LaunchResult result = ObserveLaunch(options);
        EXPECT_TRUE(result.started);
        EXPECT_FALSE(result.timedOut);
        return result;
    }
    LaunchResult Launch(const std::string& arguments = "", const std::string& launcher = "")
    {
        return Run(Started(Wide(arguments), Wide(launcher)));
    }
    std::string Report(const std::string& field) { return ReportField(ReadWholeFile(reports_ + "report.txt"), field); }
    std::string ConfigSwitch(const std::string& directory) { return "/config=\"" + directory + "setup.cfg\""; }
    // What the file holds that the installer's config switch names.
    std::string ConfigContent()
    {
        const std::string commandLine = Report("cmdline");
        const std::size_t start = commandLine.find("/config=\"");
        if (start == std::string::npos) {
            return "<no config switch>";
        }
        const std::size_t path = start + 9;
        return ReadWholeFile(commandLine.substr(path, commandLine.find('"', path) - path));
    }

    void ExpectNotFound(const LaunchResult& result)
    {
        ASSERT_EQ(result.boxes.size(), 1u);
        EXPECT_EQ(result.boxes[0].title, "Quorvane Error");
        EXPECT_EQ(result.boxes[0].text, kNotFound);
        EXPECT_TRUE(result.boxes[0].hasIcon);
        EXPECT_EQ(result.exitCode, 0xFFFFFFFFu);
        EXPECT_EQ(Report("cmdline"), "<missing>"); // nothing was run
    }

    ScratchDirectory scratch_;
    std::string kit_, products_, reports_, launcher_;
};

TEST_F(EndToEnd, NoProductShowsTheErrorBoxAndEndsWithMinusOne)
{
    ExpectNotFound(Launch(" /S"));
}

TEST_F(EndToEnd, RunsTheFirstUsableUninstallerSilentlyAndWaitsForIt)
{
    Install(0, "1238"); // too old, passed over without a word
    const std::string taken = Install(1, "1239");
    Install(2, "1239");
    SetEnvironmentVariableA("QUORVANE_EXIT", "3");
    const LaunchResult result = Launch(" /S");
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(result.exitCode, 0u); // the installer's 3 is not passed on
    EXPECT_EQ(Report("module"), taken);
    EXPECT_EQ(Report("cmdline"), taken + "  /S " + ConfigSwitch(kit_));
    EXPECT_EQ(Report("mark"), "from the launcher's parent");
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    EXPECT_EQ(Report("cwd"), directory); // the launcher's own, passed on
}

TEST_F(EndToEnd, VersionGateUsesTheFileVersionOnly)
{
    const struct {
        const char* variant;
        bool usable;
    } cases[] = {{"1238", false}, {"1199", false}, {"plain", false}, {"1239", true}, {"1240", true}};
    for (const auto& c : cases) {
        RemoveEntries();
        const std::string program = Install(4, c.variant);
        const LaunchResult result = Launch();
        if (c.usable) {
            EXPECT_TRUE(result.boxes.empty()) << c.variant;
            EXPECT_EQ(Report("module"), program) << c.variant;
            EXPECT_EQ(result.exitCode, 0u) << c.variant;
        } else {
            SCOPED_TRACE(c.variant);
            ExpectNotFound(result);
        }
    }
}

TEST_F(EndToEnd, FindsTheSwitchInAnyCaseAndKeepsThePathAsWritten)
{
    const std::string program = PlaceUninstaller("1239", "Case\\RARAVIRO.exe");
    const std::string writtenPath = products_ + "CASE\\raraviro.EXE";
    for (const char* uninstallSwitch : {"/uninstall", "/UnInstall"}) {
        SetEntry(kProducts[5], REG_SZ, writtenPath + " " + uninstallSwitch);
        const LaunchResult result = Launch("/S");
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(Report("cmdline"), writtenPath + "  /S " + ConfigSwitch(kit_)) << uninstallSwitch;
    }
}

TEST_F(EndToEnd, ReadsOnlyStringValuesAsStored)
{
    const std::string program = PlaceUninstaller("1239", "Expand\\RARAVIRO.exe");
    SetEnvironmentVariableA("QUORVANE_PRODUCTS", products_.c_str());
    SetEntry(kProducts[0], REG_EXPAND_SZ, "%QUORVANE_PRODUCTS%Expand\\RARAVIRO.exe /UNINSTALL");
    ExpectNotFound(Launch()); // not expanded, so no such file

    const DWORD number = 1;
    SetEntryBytes(kProducts[0], REG_DWORD, &number, sizeof number);
    ExpectNotFound(Launch());
    for (DWORD type : {DWORD(REG_MULTI_SZ), DWORD(REG_BINARY)}) {
        SetEntry(kProducts[0], type, program + " /UNINSTALL");
        SCOPED_TRACE(type);
        ExpectNotFound(Launch());
    }

    SetEntry(kProducts[0], REG_EXPAND_SZ, program + " /UNINSTALL");
    const LaunchResult result = Launch();
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(Report("module"), program);
}

TEST_F(EndToEnd, TheFourthProductsKeyHasNoExclamationMark)
{
    const std::string program = PlaceUninstaller("1239", "TOV\\RARAVIRO.exe");
    SetEntry("TOV!UninstallKey", REG_SZ, program + " /UNINSTALL");
    ExpectNotFound(Launch());
    SetEntry("TOVUninstallKey", REG_SZ, program + " /UNINSTALL");
    EXPECT_EQ(Launch().exitCode, 0u);
    EXPECT_EQ(Report("module"), program);
}

TEST_F(EndToEnd, AnEntryOnlyInThe64BitViewIsNotSeen)
{
    const std::string program = PlaceUninstaller("1239", "64\\RARAVIRO.exe");
    SetEntry(kProducts[6], REG_SZ, program + " /UNINSTALL", KEY_WOW64_64KEY);
    ExpectNotFound(Launch());
}

TEST_F(EndToEnd, HandsTheInstallerItsExactCommandLine)
{
    const std::string program = PlaceUninstaller("1239", "Program Files\\Trelvo Lumio\\RARAVIRO.exe");
    SetEntry(kProducts[6], REG_SZ, program + " /UNINSTALL");
    const std::string config = ConfigSwitch(kit_);
    const struct {
        std::string launcherCommandLine;
        std::string installerCommandLine;
    } cases[] = {
        {"\"" + launcher_ + "\"", program + "   " + config},
        {"\"" + launcher_ + "\" /S", program + "  /S " + config},
        {"\"" + launcher_ + "\" /S  ", program + "  /S   " + config},
        {"\"" + launcher_ + "\"/S", program + "  /S " + config},
        {"\"" + launcher_ + "\" /D=\"a b\" \"c\"", program + "  /D=\"a b\" \"c\" " + config},
        {launcher_ + "\t\t/S", program + "  /S " + config},
    };
    for (const auto& c : cases) {
        LaunchOptions options;
        options.program = Wide(launcher_);
        options.commandLine = Wide(c.launcherCommandLine);
        const LaunchResult result = Run(options);
        EXPECT_EQ(result.exitCode, 0u) << c.launcherCommandLine;
        EXPECT_EQ(Report("cmdline"), c.installerCommandLine) << c.launcherCommandLine;
    }
}

TEST_F(EndToEnd, LauncherInAFolderWithBlanks)
{
    const std::string kit = scratch_.path() + "Media Kit 2\\";
    const std::wstring launcher = PlaceLauncher(Wide(kit));
    const std::string program = Install(7, "1239");
    EXPECT_EQ(Run(Started(L" /S", launcher)).exitCode, 0u);
    EXPECT_EQ(Report("cmdline"), program + "  /S " + ConfigSwitch(kit));
}

TEST_F(EndToEnd, EndsWithZeroWhateverTheInstallerReturned)
{
    Install(3, "1239");
    for (const char* code : {"0", "3", "0xFFFFFFFF"}) {
        SetEnvironmentVariableA("QUORVANE_EXIT", code);
        const LaunchResult result = Launch();
        EXPECT_EQ(result.exitCode, 0u) << code;
        EXPECT_NE(Report("cmdline"), "<missing>") << code;
    }
}

TEST_F(EndToEnd, EndsWithMinusOneWhenTheInstallerCannotBeStarted)
{
    // A library with a good version resource passes the gate but is no program.
    const std::string library = products_ + "Library\\RARAVIRO.dll";
    CreateDirectoryA((products_ + "Library").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((TestProgramDirectory() + "uninstaller_library.dll").c_str(), library.c_str(), FALSE));
    SetEntry(kProducts[0], REG_SZ, library + " /UNINSTALL");
    const LaunchResult result = Launch(" /S");
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(result.exitCode, 0xFFFFFFFFu);
}

// The plants' names, from the suite's WINEDLLOVERRIDES, which names each "n,b": Wine then
// prefers a DLL found beside a program to its own, as Windows does for a DLL that is not
// one of its known DLLs.
std::vector<std::string> PlantNames()
{
    std::string names = std::getenv("WINEDLLOVERRIDES") != nullptr ? std::getenv("WINEDLLOVERRIDES") : "";
    names = names.substr(0, names.find('='));
    std::vector<std::string> split;
    for (std::size_t start = 0; start < names.size();) {
        const std::size_t end = std::min(names.find(',', start), names.size());
        split.push_back(names.substr(start, end - start));
        start = end + 1;
    }
    return split;
}

TEST_F(EndToEnd, NoDllPlantedBesideTheLauncherIsLoadedOnAnyPath)
{
    const std::vector<std::string> names = PlantNames();
    ASSERT_GE(names.size(), 20u) << "run with WINEDLLOVERRIDES naming the plants";
    const std::string markers = reports_ + "Markers\\";
    CreateDirectoryA(markers.c_str(), nullptr);
    SetEnvironmentVariableA("QUORVANE_PLANT_MARKERS", markers.c_str());
    for (const std::string& name : names) {
        ASSERT_TRUE(
            CopyFileA((TestProgramDirectory() + "planted_library.dll").c_str(), (kit_ + name + ".dll").c_str(), FALSE));
    }
    const auto ran = [&markers] {
        std::string listing;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((markers + "*.dll").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
            listing += std::string(found.cFileName) + " ";
            DeleteFileA((markers + found.cFileName).c_str());
        }
        FindClose(search);
        return listing;
    };

    // The plants work: a program beside them that loads each by its name runs them all.
    ASSERT_TRUE(
        CopyFileA((TestProgramDirectory() + "plain_loader.exe").c_str(), (kit_ + "plain_loader.exe").c_str(), FALSE));
    LaunchOptions control;
    control.program = Wide(kit_ + "plain_loader.exe");
    control.commandLine = L"plain_loader.exe";
    EXPECT_EQ(Run(control).exitCode, 0u);
    const std::string loaded = ran();
    EXPECT_EQ(static_cast<std::size_t>(std::count(loaded.begin(), loaded.end(), ' ')), names.size()) << loaded;

    // The launcher's three ways to end: the installer run, the error box, and an installer
    // that cannot be started (a library carrying a good version).
    const std::string program = Install(0, "1239");
    EXPECT_EQ(Launch(" /S").exitCode, 0u);
    EXPECT_EQ(Report("module"), program);
    EXPECT_EQ(ran(), "") << "after a run of the installer";
    RemoveEntries();
    ExpectNotFound(Launch(" /S"));
    EXPECT_EQ(ran(), "") << "after the error box";
    const std::string library = products_ + "RARAVIRO.dll";
    ASSERT_TRUE(CopyFileA((TestProgramDirectory() + "uninstaller_library.dll").c_str(), library.c_str(), FALSE));
    SetEntry(kProducts[0], REG_SZ, library + " /UNINSTALL");
    EXPECT_EQ(Launch(" /S").exitCode, 0xFFFFFFFFu);
    EXPECT_EQ(ran(), "") << "after an installer that could not be started";
    SetEnvironmentVariableA("QUORVANE_PLANT_MARKERS", nullptr);
}

TEST_F(EndToEnd, BadEntriesAndBadUninstallersCountAsNoProduct)
{
    const std::string good = PlaceUninstaller("1239", "Good\\RARAVIRO.exe");
    const std::string image = ReadWholeFile(good);
    WriteWholeFile(products_ + "text.exe", "This is not a program.");
    WriteWholeFile(products_ + "truncated.exe", image.substr(0, 1024));
    WriteWholeFile(products_ + "empty.exe", "");
    CreateDirectoryA((products_ + "Folder.exe").c_str(), nullptr);
    const std::string values[] = {
        std::string(1 << 20, 'x') + " /UNINSTALL", // 1 MiB
        good + std::string("\0 /UNINSTALL", 12), // the text ends before the switch
        products_ + "text.exe /UNINSTALL", // not a PE file
        products_ + "truncated.exe /UNINSTALL", // cut off after 1 KiB
        products_ + "empty.exe /UNINSTALL", // zero length
        products_ + "Folder.exe /UNINSTALL", // a folder named like the program
    };
    for (const std::string& value : values) {
        SetEntry(kProducts[1], REG_SZ, value);
        SCOPED_TRACE(value.substr(0, 80));
        ExpectNotFound(Launch(" /S"));
    }

    // A value stored without its terminating zero is read whole.
    const std::string unterminated = good + " /UNINSTALL";
    SetEntryBytes(kProducts[1], REG_SZ, unterminated.data(), static_cast<DWORD>(unterminated.size()));
    EXPECT_EQ(Launch(" /S").exitCode, 0u);
    EXPECT_EQ(Report("module"), good);
}

TEST_F(EndToEnd, LongArgumentsReachTheInstallerWhole)
{
    const std::string program = Install(0, "1239");
    const std::string arguments(32000, 'a');
    EXPECT_EQ(Launch(" " + arguments).exitCode, 0u);
    EXPECT_EQ(Report("cmdline"), program + "  " + arguments + " " + ConfigSwitch(kit_));
}

// Everything below the scratch folder, with sizes, except the stand-in's own report.
std::string Listing(const std::string& directory)
{
    std::string listing;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return listing;
    }
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == ".." || name == "report.txt") {
            continue;
        }
        listing += directory + name + " " + std::to_string(found.nFileSizeLow) + "\n";
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            listing += Listing(directory + name + "\\");
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return listing;
}

std::string RegistryExport(const std::string& root, const std::string& file)
{
    LaunchOptions options;
    options.program = L"C:\\windows\\system32\\reg.exe";
    options.commandLine = Wide("reg.exe export " + root + " \"" + file + "\" /y");
    EXPECT_EQ(ObserveLaunch(options).exitCode, 0u) << root;
    return ReadWholeFile(file);
}

TEST_F(EndToEnd, WritesNothingToTheRegistryOrToDisk)
{
    Install(1, "1239");
    const std::string exports = reports_;
    const std::string machineBefore = RegistryExport("HKLM\\Software", exports + "m1.reg");
    const std::string userBefore = RegistryExport("HKCU\\Software", exports + "u1.reg");
    const std::string filesBefore = Listing(kit_) + Listing(products_);
    ASSERT_EQ(Launch(" /S").exitCode, 0u);
    ASSERT_NE(Report("cmdline"), "<missing>");
    EXPECT_EQ(Listing(kit_) + Listing(products_), filesBefore);
    EXPECT_TRUE(RegistryExport("HKLM\\Software", exports + "m2.reg") == machineBefore);
    EXPECT_TRUE(RegistryExport("HKCU\\Software", exports + "u2.reg") == userBefore);
}

// Run with code page 932 (LC_ALL=ja_JP.UTF-8) and QUORVANE_EXPECT_ACP=932.
TEST_F(EndToEnd, DoubleByteFolderNamesUnderCodePage932)
{
    const char* expected = std::getenv("QUORVANE_EXPECT_ACP");
    if (expected == nullptr || std::string(expected) != "932") {
        GTEST_SKIP() << "run with QUORVANE_EXPECT_ACP=932";
    }
    ASSERT_EQ(GetACP(), 932u);
    // Katakana SO is 0x83 0x5C: its second byte is a backslash. The long folder is more
    // than 260 bytes but fewer characters, where the ANSI module path used to come back
    // cut inside a character.
    const std::string so = "\x83\x5C";
    std::string a80;
    for (int i = 0; i < 80; ++i) {
        a80 += "\x82\xA0"; // hiragana A
    }
    CreateDirectoryA((scratch_.path() + "x" + a80).c_str(), nullptr);
    const std::string program = PlaceUninstaller("1239", "Un" + so + "\\RARAVIRO.exe");
    ASSERT_EQ(GetFileAttributesA(program.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    SetEntry(kProducts[2], REG_SZ, program + " /uninstall");
    for (const std::string& folder : {"Kit" + so + "\\", "x" + a80 + "\\" + a80.substr(0, 120) + "\\"}) {
        const std::string kit = scratch_.path() + folder;
        const LaunchResult result = Run(Started(L" /S", PlaceLauncher(Wide(kit))));
        EXPECT_TRUE(result.boxes.empty());
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(Report("module"), program);
        EXPECT_EQ(Report("cmdline"), program + "  /S " + ConfigSwitch(kit)) << kit.size() << " bytes";
    }
}

// Started as Explorer starts it, from folders whose names Windows' ANSI calls would turn
// into a quote and a slash, or into the name of another folder.
TEST_F(EndToEnd, FolderNamesAndArgumentsTheCodePageCannotHold)
{
    const std::string program = Install(0, "1239");
    const struct {
        const wchar_t* folder;
        const wchar_t* arguments;
        const char* installerArguments;
    } cases[] = {
        {L"k\uFF02 \uFF0FINJECTED \uFF02", L" /S", "/S"},
        {L"\u0141\u00F3d\u017A", L" /S", "/S"},
        {L"Plain", L" /NAME=\u0141\uFF02x\uFF0F /S", "/NAME=??x? /S"},
    };
    for (const auto& c : cases) {
        const std::string config = "[Setup]\r\nFrom=" + std::to_string(&c - cases) + "\r\n";
        const LaunchResult result =
            Run(Started(c.arguments, PlaceLauncher(Wide(scratch_.path()) + c.folder + L"\\", config)));
        EXPECT_TRUE(result.boxes.empty());
        EXPECT_EQ(result.exitCode, 0u);
        const std::string expected = program + "  " + c.installerArguments + " /config=\"";
        EXPECT_EQ(Report("cmdline").substr(0, expected.size()), expected);
        EXPECT_EQ(ConfigContent(), config) << Report("cmdline");
    }
}

// How a service, a scheduled task or a deployment agent starts the launcher: in a window
// station of its own that nobody sees, where a box would wait for ever.
TEST_F(EndToEnd, InAWindowStationNobodySeesItShowsNoBox)
{
    HWINSTA visible = GetProcessWindowStation();
    HWINSTA station = CreateWindowStationA("QuorvaneHidden", 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_NE(station, nullptr);
    ASSERT_TRUE(SetProcessWindowStation(station));
    HDESK desktop = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(visible);
    ASSERT_NE(desktop, nullptr);

    LaunchOptions options = Started(L" /S");
    options.desktop = L"QuorvaneHidden\\Default";
    options.timeoutMs = 10000;
    const DWORD start = GetTickCount();
    EXPECT_EQ(Run(options).exitCode, 0xFFFFFFFFu);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(Report("cmdline"), "<missing>");

    const std::string program = Install(3, "1239");
    EXPECT_EQ(Run(options).exitCode, 0u);
    EXPECT_EQ(Report("cmdline"), program + "  /S " + ConfigSwitch(kit_));
    CloseDesktop(desktop);
    CloseWindowStation(station);
}

// An entry that names its program without a folder: the program is the current folder's,
// and its version is read there too, not from a file of that name elsewhere.
TEST_F(EndToEnd, ABareNameIsTheCurrentFoldersProgram)
{
    const std::string work = scratch_.path() + "Work\\";
    CreateDirectoryA(work.c_str(), nullptr);
    SetEntry(kProducts[0], REG_SZ, "RARAVIRO.exe /UNINSTALL");
    LaunchOptions options = Started(L" /S");
    options.currentDirectory = Wide(work);

    ASSERT_TRUE(
        CopyFileA((TestProgramDirectory() + "uninstaller_1239.exe").c_str(), (work + "RARAVIRO.exe").c_str(), FALSE));
    EXPECT_EQ(Run(options).exitCode, 0u);
    EXPECT_EQ(Report("module"), work + "RARAVIRO.exe");
    EXPECT_EQ(Report("cmdline"), "RARAVIRO.exe  /S " + ConfigSwitch(kit_));

    ASSERT_TRUE(
        CopyFileA((TestProgramDirectory() + "uninstaller_1239.exe").c_str(), (kit_ + "RARAVIRO.exe").c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileA((TestProgramDirectory() + "uninstaller_plain.exe").c_str(), (work + "RARAVIRO.exe").c_str(), FALSE));
    ExpectNotFound(Run(options));
}
} // namespace

// The shipped launcher as its users meet it: started with an exact command line, against
// real uninstall entries in the 32-bit registry view and real uninstaller programs, its
// message boxes read off the screen and its full exit code checked.
#include "LaunchObserver.h"
#include "WineTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

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
        launcher_ = PlaceLauncher(kit_);
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

    // Quorvane.exe as shipped, with a setup.cfg beside it.
    static std::string PlaceLauncher(const std::string& directory)
    {
        CreateDirectoryA(directory.c_str(), nullptr);
        const std::string launcher = directory + "Quorvane.exe";
        EXPECT_TRUE(CopyFileA((TestProgramDirectory() + "Quorvane.exe").c_str(), launcher.c_str(), FALSE));
        WriteWholeFile(directory + "setup.cfg", "[Setup]\r\nLanguage=de\r\n");
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
    LaunchResult Launch(const std::string& arguments = "", const std::string& launcher = "")
    {
        DeleteFileA((reports_ + "report.txt").c_str());
        const std::string program = launcher.empty() ? launcher_ : launcher;
        LaunchOptions options;
        options.program = program;
        options.commandLine = "\"" + program + "\"" + arguments;
        const LaunchResult result = ObserveLaunch(options);
        EXPECT_TRUE(result.started);
        EXPECT_FALSE(result.timedOut);
        return result;
    }
    std::string Report(const std::string& field) { return ReportField(ReadWholeFile(reports_ + "report.txt"), field); }
    std::string ConfigSwitch(const std::string& directory) { return "/config=\"" + directory + "setup.cfg\""; }

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
        DeleteFileA((reports_ + "report.txt").c_str());
        LaunchOptions options;
        options.program = launcher_;
        options.commandLine = c.launcherCommandLine;
        const LaunchResult result = ObserveLaunch(options);
        EXPECT_EQ(result.exitCode, 0u) << c.launcherCommandLine;
        EXPECT_EQ(Report("cmdline"), c.installerCommandLine) << c.launcherCommandLine;
    }
}

TEST_F(EndToEnd, LauncherInAFolderWithBlanks)
{
    const std::string kit = scratch_.path() + "Media Kit 2\\";
    const std::string launcher = PlaceLauncher(kit);
    const std::string program = Install(7, "1239");
    EXPECT_EQ(Launch(" /S", launcher).exitCode, 0u);
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

// The suite runs with WINEDLLOVERRIDES=version=n,b: Wine then prefers a version.dll found
// beside a program to its own, as Windows does.
TEST_F(EndToEnd, AVersionLibraryPlantedBesideTheLauncherIsNotLoaded)
{
    const std::string marker = reports_ + "planted-library-ran";
    SetEnvironmentVariableA("QUORVANE_PLANT_MARKER", marker.c_str());
    ASSERT_TRUE(
        CopyFileA((TestProgramDirectory() + "planted\\version.dll").c_str(), (kit_ + "version.dll").c_str(), FALSE));

    // The plant works: an ordinary load by name from a program beside it runs its code.
    ASSERT_TRUE(
        CopyFileA((TestProgramDirectory() + "plain_loader.exe").c_str(), (kit_ + "plain_loader.exe").c_str(), FALSE));
    LaunchOptions control;
    control.program = kit_ + "plain_loader.exe";
    control.commandLine = "plain_loader.exe";
    EXPECT_EQ(ObserveLaunch(control).exitCode, 0u);
    EXPECT_NE(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the planted library was not loaded";
    DeleteFileA(marker.c_str());

    // The launcher reads versions through the system's copy only.
    const std::string program = Install(0, "1239");
    const LaunchResult result = Launch(" /S");
    SetEnvironmentVariableA("QUORVANE_PLANT_MARKER", nullptr);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(Report("module"), program);
    EXPECT_EQ(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the launcher ran the planted library";
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
    options.program = "C:\\windows\\system32\\reg.exe";
    options.commandLine = "reg.exe export " + root + " \"" + file + "\" /y";
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
    // Katakana SO is 0x83 0x5C: its second byte is a backslash.
    const std::string so = "\x83\x5C";
    const std::string kit = scratch_.path() + "Kit" + so + "\\";
    const std::string launcher = PlaceLauncher(kit);
    const std::string program = PlaceUninstaller("1239", "Un" + so + "\\RARAVIRO.exe");
    ASSERT_EQ(GetFileAttributesA(program.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    SetEntry(kProducts[2], REG_SZ, program + " /uninstall");
    const LaunchResult result = Launch(" /S", launcher);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(Report("module"), program);
    EXPECT_EQ(Report("cmdline"), program + "  /S " + ConfigSwitch(kit));
}
} // namespace

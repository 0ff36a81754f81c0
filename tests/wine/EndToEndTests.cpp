// The shipped launcher as its users meet it: started with an exact command line, against
// real uninstall entries in the 32-bit registry view and real stand-in installers, its
// message boxes read off the screen, its debug output read as a viewer reads it (Ctrl
// cannot be held under Wine, but every step is traced without it) and its full exit code
// taken.
#include "LaunchObserver.h"
#include "WineTestSupport.h"

#include <algorithm>
#include <set>

namespace {
const std::string kUninstallList = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kFirst = kUninstallList + "Trelvo - Ruzod Iri!UninstallKey";
const std::string kSecond = kUninstallList + "RedadaVador!UninstallKey";

// The Windows version as the system reports it to a program that declares Windows 10.
std::string WindowsVersionAsReported()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
           std::to_string(info.dwBuildNumber);
}

DWORD SessionNumber()
{
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}

// text in the ANSI code page, '?' for what it lacks, as the launcher converts what it reads.
std::string AnsiNoBestFit(const std::wstring& text)
{
    std::string ansi(text.size() * 2 + 1, '\0');
    BOOL lossy = FALSE;
    ansi.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(),
                                                             static_cast<int>(text.size()), &ansi[0],
                                                             static_cast<int>(ansi.size()), "?", &lossy)));
    return ansi;
}

class EndToEnd : public ReportingChildTest {
protected:
    EndToEnd() { RemoveEntries(); }
    ~EndToEnd() override { RemoveEntries(); }
    static void RemoveEntries()
    {
        for (const std::string& key : {kFirst, kSecond}) {
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), KEY_WOW64_32KEY, 0);
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), KEY_WOW64_64KEY, 0);
        }
    }
    static void SetEntry(const std::string& key, const std::string& value, REGSAM view = KEY_WOW64_32KEY)
    {
        HKEY opened = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &opened,
                        nullptr);
        RegSetValueExA(opened, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(opened);
    }
    static void SetEntryWide(const std::string& key, const std::wstring& value)
    {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, Wide(key).c_str(), L"UninstallString", REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    // A product whose uninstall entry names a copy of a stand-in installer.
    std::string Install(const std::string& key, const std::string& standIn, const std::string& folder = "P") const
    {
        const std::string program = Place(standIn, folder + "\\RARAVIRO.exe");
        SetEntry(key, program + " /uninstall /LOG"); // the switch in any case
        return program;
    }
    // Quorvane.exe as built, or as QUORVANE_LAUNCHER names it (a signed copy), with a
    // setup.cfg beside it. Wide, for folder names the ANSI code page lacks.
    static std::wstring PlaceLauncher(const std::wstring& folder, const std::string& config = "[Setup]",
                                      const std::wstring& name = L"Quorvane.exe")
    {
        std::filesystem::create_directories(folder);
        const char* other = std::getenv("QUORVANE_LAUNCHER");
        CopyFileW(Wide(other != nullptr ? other : TestProgramDirectory() + "Quorvane.exe").c_str(),
                  (folder + name).c_str(), FALSE);
        std::ofstream(std::filesystem::path(folder + L"setup.cfg"), std::ios::binary) << config;
        return folder + name;
    }
    // The launcher (or options.program) started as Explorer starts it, its path in quotes.
    LaunchResult Launch(const std::wstring& arguments, LaunchOptions options = {}) const
    {
        options.program = options.program.empty() ? launcher_ : options.program;
        options.commandLine = L"\"" + options.program + L"\"" + arguments;
        ForgetReport();
        const LaunchResult result = ObserveLaunch(options);
        EXPECT_TRUE(result.started && !result.timedOut);
        return result;
    }
    // The error box where one can be seen; otherwise none, and the debug output says so.
    // The debug output ends with the text and the exit code.
    void ExpectNotFound(const LaunchResult& result, bool seen = true) const
    {
        ASSERT_EQ(result.boxes.size(), seen ? 1u : 0u);
        if (seen) {
            EXPECT_TRUE(result.boxes[0].title == "Quorvane Error" && result.boxes[0].hasIcon);
            EXPECT_EQ(result.boxes[0].text, "No Trelvo/RedadaVador/TrelvoTalo/TrelvoOrvendel/TrelvoQuent/\n"
                                            "TrelvoVantelo/TrelvoLumio/TrelvoHeddle installer (=uninstaller) found.\n"
                                            "Please install one of these demos first.");
        }
        std::vector<std::string> traced = {
            "Quorvane: No Trelvo/RedadaVador/TrelvoTalo/TrelvoOrvendel/TrelvoQuent/ TrelvoVantelo/TrelvoLumio/"
            "TrelvoHeddle installer (=uninstaller) found. Please install one of these demos first.",
            "Quorvane: exit code -1"};
        if (!seen) {
            traced.insert(traced.begin() + 1, "Quorvane: (no box: nobody can see this session)");
        }
        ASSERT_GE(result.debugOutput.size(), traced.size());
        EXPECT_EQ(std::vector<std::string>(result.debugOutput.end() - traced.size(), result.debugOutput.end()), traced);
        EXPECT_EQ(result.exitCode, 0xFFFFFFFFu);
        EXPECT_EQ(Report("cmdline"), "<missing>"); // nothing was run
    }

    const std::string kit_ = scratch_ + "Kit\\";
    const std::wstring launcher_ = PlaceLauncher(Wide(kit_));
};

TEST_F(EndToEnd, RunsTheFirstUsableUninstallerWithTheExactCommandLine)
{
    const std::string old = Install(kFirst, "stand_in_1238.exe"); // too old: passed over without a box
    const std::string program = Install(kSecond, "stand_in_installer.exe", "Program Files\\Trelvo Lumio");
    const std::string config = "/config=\"" + kit_ + "setup.cfg\"";
    const struct {
        std::wstring arguments; // after the launcher's quoted path
        std::string installer; // the installer's whole command line
        const char* installerExit;
        const char* shownExit;
    } cases[] = {
        {L"", program + "   " + config, "0", "0"}, // the blank left before the switch, the joining one, the literal's
        {L" /S", program + "  /S " + config, "3", "3"},
        {L" /D=\"a b\" \"c\"  ", program + "  /D=\"a b\" \"c\"   " + config, "0xFFFFFFFF", "-1"},
    };
    for (const auto& c : cases) {
        SetChildExit(c.installerExit);
        const LaunchResult result = Launch(c.arguments);
        EXPECT_TRUE(result.boxes.empty());
        EXPECT_EQ(result.exitCode, 0u) << c.installerExit; // the installer's code is not passed on
        EXPECT_EQ(Report("cmdline"), c.installer);
        // Each step as the boxes with Ctrl held would show it: the passed-over entry, the
        // path, the parameters and the installer's exit code; then the launcher's own.
        const std::vector<std::string> traced = {
            result.debugOutput.empty() ? "" : result.debugOutput[0], // the opening line, below
            "Quorvane: No UNxxx.exe or old version at'" + old + " '",
            "Quorvane: RARAVIRO.exe or UNxxx.exe path: '" + program + " '",
            "Quorvane: Start the installer with param: '" + c.installer.substr(program.size() + 2) + "'",
            std::string("Quorvane: (Un-)Installer ready with return-value:") + c.shownExit,
            "Quorvane: exit code 0"};
        EXPECT_EQ(result.debugOutput, traced);
        // The opening line: the launcher's own version, read from its file, the system as
        // Wine presents it to a 32-bit program of a 64-bit prefix, and the command line as
        // the launcher received it.
        const std::size_t session = traced[0].find("; session: ");
        ASSERT_NE(session, std::string::npos) << traced[0];
        EXPECT_EQ(traced[0].substr(0, session), "Quorvane: version " QUORVANE_VERSION "; Windows " +
                                                    WindowsVersionAsReported() + "; 64-bit: yes; administrator: yes");
        EXPECT_EQ(traced[0].substr(session), "; session: " + std::to_string(SessionNumber()) +
                                                 "; box can be seen: yes; code page: 1252; command line: \"" + kit_ +
                                                 "Quorvane.exe\"" + Utf8(c.arguments));
    }
    EXPECT_EQ(Report("cwd"), std::filesystem::current_path().string());

    // The shipped launcher is 32-bit: an entry only in the 64-bit view is not seen.
    RemoveEntries();
    SetEntry(kFirst, program + " /UNINSTALL", KEY_WOW64_64KEY);
    const LaunchResult otherView = Launch(L" /S");
    ExpectNotFound(otherView);
    ASSERT_GE(otherView.debugOutput.size(), 2u);
    EXPECT_EQ(otherView.debugOutput[1], "Quorvane: Trelvo - Ruzod Iri!UninstallKey passed over: no such entry in the "
                                        "registry's 32-bit view, which this launcher reads");
}

// An uninstall entry naming a program in a folder whose name code page 1252 lacks: the
// program is named by its short form, never by the look-alike that best fit makes of it
// (Lodz), where a usable copy lies that must be neither checked nor started. Wine gives
// every such folder a short name; a folder without one is proven natively.
TEST_F(EndToEnd, AProgramInAFolderTheCodePageCannotNameIsNamedByItsShortForm)
{
    const std::wstring folder = Wide(scratch_) + L"Trelvo \u0141\u00F3d\u017A";
    char bestFit[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, bestFit, MAX_PATH, nullptr, nullptr);
    ASSERT_NE(Wide(bestFit), folder);
    PlaceWide("stand_in_installer.exe", Wide(std::string(bestFit) + "\\RARAVIRO.exe"));
    const std::wstring program = folder + L"\\RARAVIRO.exe";
    wchar_t shortForm[MAX_PATH] = {};
    for (const char* standIn : {"stand_in_installer.exe", "stand_in_1238.exe"}) {
        PlaceWide(standIn, program);
        SetEntryWide(kFirst, program + L" /UNINSTALL");
        ASSERT_NE(GetShortPathNameW(program.c_str(), shortForm, MAX_PATH), 0u);
        const std::string named = AnsiNoBestFit(shortForm);
        const LaunchResult result = Launch(L" /S");
        if (std::string(standIn) == "stand_in_installer.exe") {
            EXPECT_EQ(result.exitCode, 0u);
            EXPECT_EQ(Report("module"), Utf8(program));
            EXPECT_EQ(Report("cmdline"), named + "  /S /config=\"" + kit_ + "setup.cfg\"");
        } else { // too old: the usable look-alike is not taken either
            ExpectNotFound(result);
            EXPECT_EQ(result.debugOutput.at(1), "Quorvane: No UNxxx.exe or old version at'" + named + " '");
        }
    }
}

// The test runs with WINEDLLOVERRIDES naming every plant "n,b": Wine then prefers a DLL
// beside a program to its own, as Windows does for a DLL that is not one of its known DLLs.
// Beside them lies a manifest file for the launcher whose entries would redirect loads of
// some of them into its folder, ahead of any search order.
TEST_F(EndToEnd, NoDllPlantedBesideTheLauncherIsLoadedOnAnyPath)
{
    std::string plants = std::getenv("WINEDLLOVERRIDES") != nullptr ? std::getenv("WINEDLLOVERRIDES") : "";
    plants = plants.substr(0, plants.find('=')) + ",";
    ASSERT_GE(std::count(plants.begin(), plants.end(), ','), 20) << "run with WINEDLLOVERRIDES naming the plants";
    for (std::size_t start = 0, end; (end = plants.find(',', start)) != std::string::npos; start = end + 1) {
        Place("planted_library.dll", "Kit\\" + plants.substr(start, end - start) + ".dll");
    }
    const std::set<std::string> redirected = {"comctl32.dll", "libgcc_s_dw2-1.dll", "uxtheme.dll", "version.dll"};
    std::string manifest = "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">";
    for (const std::string& name : redirected) {
        manifest += "<file name=\"" + name + "\"/>";
    }
    std::ofstream(kit_ + "Quorvane.exe.manifest") << manifest + "</assembly>";
    std::ofstream(kit_ + "control.exe.manifest") << manifest + "</assembly>";

    const std::string markers = scratch_ + "Markers\\";
    std::filesystem::create_directory(markers);
    SetEnvironmentVariableA("QUORVANE_PLANT_MARKERS", markers.c_str());
    const auto ran = [&markers] { // and forgotten
        std::set<std::string> names;
        for (const auto& marker : std::filesystem::directory_iterator(markers)) {
            names.insert(marker.path().filename().string());
            std::filesystem::remove(marker.path());
        }
        return names;
    };
    // The plants work: a program beside them that loads each by its name runs them all; one
    // that keeps its search to the system folder, as the launcher does, but embeds no
    // manifest, runs those its manifest file names.
    LaunchOptions control;
    control.program = Wide(Place("plain_loader.exe", "Kit\\plain_loader.exe"));
    EXPECT_EQ(Launch(L"", control).exitCode, 0u);
    EXPECT_EQ(static_cast<std::ptrdiff_t>(ran().size()), std::count(plants.begin(), plants.end(), ','));
    control.program = Wide(Place("plain_loader.exe", "Kit\\control.exe"));
    Launch(L" --system-folder-only", control); // the plants Wine has no copy of in its system folder do not load
    EXPECT_EQ(ran(), redirected);

    // The launcher's three ways to end: after the installer ran, after the error box, and
    // with an installer that passes the version gate but cannot be started.
    Install(kFirst, "stand_in_installer.exe");
    EXPECT_EQ(Launch(L" /S").exitCode, 0u);
    EXPECT_TRUE(ran().empty()) << "after the installer ran";
    RemoveEntries();
    ExpectNotFound(Launch(L" /S"));
    EXPECT_TRUE(ran().empty()) << "after the error box";
    SetEntry(kFirst, Place("planted_library.dll", "Library\\RARAVIRO.dll") + " /UNINSTALL");
    const LaunchResult unstartable = Launch(L" /S");
    EXPECT_TRUE(unstartable.boxes.empty());
    EXPECT_EQ(unstartable.exitCode, 0xFFFFFFFFu);
    EXPECT_TRUE(ran().empty()) << "after an installer that could not be started";
}

// How a service, a scheduled task or a deployment agent starts the launcher: in a window
// station of its own that nobody sees, where a box would wait for ever.
TEST_F(EndToEnd, InAWindowStationNobodySeesItShowsNoBox)
{
    HWINSTA visible = GetProcessWindowStation();
    HWINSTA station = CreateWindowStationA("QuorvaneHidden", 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_TRUE(station != nullptr && SetProcessWindowStation(station));
    HDESK desktop = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(visible);
    LaunchOptions options;
    options.desktop = L"QuorvaneHidden\\Default";
    options.timeoutMs = 5000;
    ExpectNotFound(Launch(L" /S", options), false);
    const std::string program = Install(kSecond, "stand_in_installer.exe");
    EXPECT_EQ(Launch(L" /S", options).exitCode, 0u);
    EXPECT_EQ(Report("cmdline"), program + "  /S /config=\"" + kit_ + "setup.cfg\"");
    CloseDesktop(desktop);
    CloseWindowStation(station);
}

// Folder names that Windows' ANSI calls would turn into a quote and a slash, or into the
// name of another folder, and an argument the code page cannot hold. Under code page 932,
// names whose second bytes are backslashes, and folders of more than 260 bytes but fewer
// characters, where an ANSI module path comes back cut inside a character.
TEST_F(EndToEnd, FolderNamesAndArgumentsTheCodePageCannotHold)
{
    const char* codePage = std::getenv("QUORVANE_EXPECT_ACP");
    ASSERT_EQ(GetACP(), codePage != nullptr ? std::strtoul(codePage, nullptr, 10) : GetACP());
    const bool japanese = GetACP() == 932;
    const std::string program = Install(kFirst, "stand_in_installer.exe", japanese ? "\x83\x5C" : "P");
    using Case = std::pair<std::wstring, std::wstring>; // folder, arguments
    const std::vector<Case> cases =
        japanese
            ? std::vector<Case>{{L"Kit\u30BD", L" /S"}, // katakana SO
                                {L"x" + std::wstring(80, L'\u3042') + L"\\" + std::wstring(60, L'\u3042'), L" /S"},
                                {L"xy" + std::wstring(80, L'\u3042') + L"\\" + std::wstring(60, L'\u3042'), L" /S"}}
            : std::vector<Case>{{L"k\uFF02 \uFF0FINJECTED \uFF02", L" /S"},
                                {L"\u0141\u00F3d\u017A", L" /S"},
                                {L"Plain", L" /NAME=\u0141\uFF02x\uFF0F"}};
    for (const auto& c : cases) {
        const std::string config = "[Setup] " + std::to_string(&c - &cases[0]);
        LaunchOptions options;
        // Under 932 the launcher is renamed to katakana SO, whose second byte is a backslash.
        options.program =
            PlaceLauncher(Wide(scratch_) + c.first + L"\\", config, japanese ? L"\u30BD.exe" : L"Quorvane.exe");
        const LaunchResult result = Launch(c.second, options);
        const std::string arguments = c.first == L"Plain" ? "/NAME=??x?" : "/S";
        const std::string expected = program + "  " + arguments + " /config=\"";
        EXPECT_EQ(Report("cmdline").substr(0, expected.size()), expected);
        EXPECT_EQ(Report("setup.cfg"), config) << Report("cmdline");
        // The command line in the opening line as the launcher cut its tail from it: what
        // the code page lacks as '?', never a look-alike.
        const std::string opening = result.debugOutput.empty() ? "" : result.debugOutput[0];
        const std::string tail = "; code page: " + std::to_string(GetACP()) + "; command line: \"";
        const std::size_t at = opening.find(tail);
        ASSERT_NE(at, std::string::npos) << opening;
        EXPECT_EQ(opening.substr(at + tail.size()), AnsiNoBestFit(options.program) + "\" " + arguments);
    }
}

// An entry naming its program without a folder: the program is the current folder's, and
// its version is read there too, not from a file of that name elsewhere: not in the
// launcher's folder, nor in the look-alike that best fit would make of a current folder
// whose name the code page lacks.
TEST_F(EndToEnd, ABareNameIsTheCurrentFoldersProgram)
{
    SetEntry(kFirst, "RARAVIRO.exe /UNINSTALL");
    Place("stand_in_installer.exe", "Kit\\RARAVIRO.exe");
    for (const std::wstring name : {L"Work", L"Work \u0141\u00F3d\u017A"}) {
        LaunchOptions options;
        options.currentDirectory = Wide(scratch_) + name;
        const std::wstring program = options.currentDirectory + L"\\RARAVIRO.exe";
        PlaceWide("stand_in_installer.exe", program);
        EXPECT_EQ(Launch(L" /S", options).exitCode, 0u);
        EXPECT_EQ(Report("module"), Utf8(program));
        EXPECT_EQ(Report("cmdline"), "RARAVIRO.exe  /S /config=\"" + kit_ + "setup.cfg\"");

        char bestFit[MAX_PATH] = {};
        WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, bestFit, MAX_PATH, nullptr, nullptr);
        if (Wide(bestFit) != name) {
            PlaceWide("stand_in_installer.exe", Wide(scratch_ + bestFit + "\\RARAVIRO.exe"));
        }
        PlaceWide("stand_in_plain.exe", program);
        const LaunchResult passedOver = Launch(L" /S", options);
        ExpectNotFound(passedOver);
        EXPECT_EQ(passedOver.debugOutput.at(1), "Quorvane: No UNxxx.exe or old version at'RARAVIRO.exe '");
    }
}
} // namespace

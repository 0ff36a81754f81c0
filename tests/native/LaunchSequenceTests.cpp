// The launch sequence from start to end, with the message boxes a support person sees
// while holding Ctrl, and the module directory and parameters it builds.
#include "launcher/Diagnostics.h"
#include "launcher/LaunchSequence.h"
#include "launcher/UninstallerDiscovery.h"
#include "platform/ProcessRunner.h"

#include "FakePlatform.h"

#include <gtest/gtest.h>

namespace {
const char* const kDebugTitle = "Quorvane Debug-Info";
const char* const kGood = "C:\\Program Files\\Trelvo\\RARAVIRO.exe ";

class LaunchSequence : public FakePlatformTest {
protected:
    void InstallProduct(int index, const std::string& program, FileVersion64 version)
    {
        Fake().localMachine[UninstallKeyPath(ProductUninstallKeys[index])]["UninstallString"] = {
            1, program + "/UNINSTALL /x"};
        Fake().versions[program] = version;
    }
    void HoldControl()
    {
        Fake().controlKey = [] {
            return short(0x0080);
        };
    }
    static FakeBox Info(const std::string& text) { return {text, kDebugTitle, 0}; }
    // The launcher ends the process with exitCode before any installer runs.
    static void ExpectEndsWithoutInstaller(int exitCode)
    {
        Fake().runs.clear();
        try {
            RunLauncher("/S");
            ADD_FAILURE() << "the launcher went on";
        } catch (const ProcessEnded& ended) {
            EXPECT_EQ(ended.exitCode, exitCode);
        }
        EXPECT_TRUE(Fake().runs.empty());
    }
};

TEST_F(LaunchSequence, WithControlHeldShowsPathParametersAndResultInOrder)
{
    InstallProduct(0, "C:\\Old\\UNold.exe ", 0x0001000200030008ULL);
    InstallProduct(2, kGood, MinimumUninstallerVersion);
    HoldControl();
    Fake().childExitCode = 3;

    EXPECT_EQ(RunLauncher("/S"), 0);

    const std::string parameters = "/S /config=\"C:\\Kit\\setup.cfg\"";
    const std::vector<FakeBox> expected = {
        Info("No UNxxx.exe or old version at'C:\\Old\\UNold.exe '"),
        Info(std::string("RARAVIRO.exe or UNxxx.exe path: '") + kGood + "'"),
        Info("Start the installer with param: '" + parameters + "'"),
        Info("(Un-)Installer ready with return-value:3"),
    };
    EXPECT_EQ(Fake().boxes, expected);
    ASSERT_EQ(Fake().runs.size(), 1u);
    EXPECT_EQ(Fake().runs[0].name, kGood);
    EXPECT_EQ(Fake().runs[0].argument0, kGood);
    EXPECT_EQ(Fake().runs[0].argument1, parameters);
}

TEST_F(LaunchSequence, WithoutControlShowsNothingAndEndsWithZeroWhateverTheInstallerReturned)
{
    InstallProduct(0, "C:\\Old\\UNold.exe ", 1);
    InstallProduct(1, kGood, MinimumUninstallerVersion);
    for (std::int32_t installerExit : {0, 3, -1, INT32_MIN}) {
        Fake().childExitCode = installerExit;
        EXPECT_EQ(RunLauncher(""), 0) << installerExit;
    }
    EXPECT_TRUE(Fake().boxes.empty());
    // The sign bit alone is not "down"; only bit 7 is.
    Fake().controlKey = [] {
        return static_cast<short>(0x8000);
    };
    RunLauncher("");
    EXPECT_TRUE(Fake().boxes.empty());
}

TEST_F(LaunchSequence, AnInstallerThatNeedsAdministratorRightsIsStartedThroughTheShell)
{
    // An entry without extension: the file started is not the name on the command line.
    Fake().localMachine[UninstallKeyPath(ProductUninstallKeys[0])]["UninstallString"] = {1, "C:\\T\\UN/UNINSTALL"};
    Fake().versions["C:\\T\\UN.exe"] = MinimumUninstallerVersion;
    const std::string parameters = "/S /config=\"C:\\Kit\\setup.cfg\"";
    HoldControl();
    Fake().childExitCode = 3;
    const struct {
        RunOutcome start;
        bool visible, shellStarts;
        std::size_t shellRuns;
        int exitCode;
        const char* lastBox;
    } cases[] = {
        {RunOutcome::NeedsElevation, true, true, 1, 0, "(Un-)Installer ready with return-value:3"},
        {RunOutcome::NeedsElevation, true, false, 1, -1, "(Un-)Installer ready with return-value:-1"},
        {RunOutcome::NotStarted, true, true, 0, -1, "(Un-)Installer ready with return-value:-1"},
        {RunOutcome::NeedsElevation, false, true, 0, -1, nullptr}, // nobody could give consent
    };
    for (const auto& c : cases) {
        Fake().runs.clear();
        Fake().shellRuns.clear();
        Fake().boxes.clear();
        Fake().startOutcome = c.start;
        Fake().stationVisible = c.visible;
        Fake().shellStarts = c.shellStarts;
        SCOPED_TRACE(static_cast<int>(c.start) * 100 + c.visible * 10 + c.shellStarts);

        EXPECT_EQ(RunLauncher("/S"), c.exitCode);
        ASSERT_EQ(Fake().runs.size(), 1u);
        EXPECT_EQ(Fake().runs[0].name, "C:\\T\\UN.exe");
        EXPECT_EQ(Fake().runs[0].argument0, "C:\\T\\UN");
        EXPECT_EQ(Fake().runs[0].argument1, parameters);
        ASSERT_EQ(Fake().shellRuns.size(), c.shellRuns);
        if (c.shellRuns != 0) {
            EXPECT_EQ(Fake().shellRuns[0].name, "C:\\T\\UN.exe");
            EXPECT_EQ(Fake().shellRuns[0].argument1, parameters);
        }
        if (c.lastBox != nullptr) {
            EXPECT_EQ(Fake().boxes.back(), Info(c.lastBox));
        } else {
            EXPECT_TRUE(Fake().boxes.empty());
        }
    }
}

TEST_F(LaunchSequence, ShowsNoBoxWhereNobodyCanSeeIt)
{
    InstallProduct(0, "C:\\Old\\UNold.exe ", 1);
    InstallProduct(1, kGood, MinimumUninstallerVersion);
    HoldControl();
    Fake().stationVisible = false;
    EXPECT_EQ(RunLauncher("/S"), 0);
    EXPECT_EQ(Fake().runs.size(), 1u);

    Fake().localMachine.clear();
    ExpectEndsWithoutInstaller(-1);
    Fake().modulePathHeld = false;
    InstallProduct(1, kGood, MinimumUninstallerVersion);
    ExpectEndsWithoutInstaller(-1);
    EXPECT_TRUE(Fake().boxes.empty());
}

TEST_F(LaunchSequence, AFolderTheCodePageCannotNameStopsBeforeTheInstaller)
{
    InstallProduct(0, kGood, MinimumUninstallerVersion);
    Fake().modulePathHeld = false;
    ExpectEndsWithoutInstaller(-1);
    const std::vector<FakeBox> expected = {{kFolderNameMessage, "Quorvane Error", 0x10}};
    EXPECT_EQ(Fake().boxes, expected);
}

TEST_F(LaunchSequence, NoProductShowsOnlyTheErrorBoxAndEndsWithMinusOne)
{
    Fake().localMachine[UninstallKeyPath(ProductUninstallKeys[4])]["UninstallString"] = {1, "C:\\X\\UN.exe"};
    ExpectEndsWithoutInstaller(-1);
    const std::vector<FakeBox> expected = {{"No Trelvo/RedadaVador/TrelvoTalo/TrelvoOrvendel/TrelvoQuent/\n"
                                            "TrelvoVantelo/TrelvoLumio/TrelvoHeddle installer (=uninstaller) found.\n"
                                            "Please install one of these demos first.",
                                            "Quorvane Error", 0x10}};
    EXPECT_EQ(Fake().boxes, expected);
    EXPECT_EQ(Fake().registryReads.size(), 8u);
}

TEST_F(LaunchSequence, WithControlHeldAndNoProductShowsThePassedOverEntriesBeforeTheError)
{
    InstallProduct(1, "C:\\A\\UN.exe ", 0);
    InstallProduct(7, "C:\\B\\UN.exe ", 0x0001000100630063ULL);
    HoldControl();
    EXPECT_THROW(RunLauncher(""), ProcessEnded);
    ASSERT_EQ(Fake().boxes.size(), 3u);
    EXPECT_EQ(Fake().boxes[0], Info("No UNxxx.exe or old version at'C:\\A\\UN.exe '"));
    EXPECT_EQ(Fake().boxes[1], Info("No UNxxx.exe or old version at'C:\\B\\UN.exe '"));
    EXPECT_EQ(Fake().boxes[2].title, "Quorvane Error");
}

TEST_F(LaunchSequence, ControlIsTestedAnewForEveryBox)
{
    InstallProduct(0, kGood, MinimumUninstallerVersion);
    int calls = 0;
    Fake().controlKey = [&calls] {
        return short(++calls == 2 ? 0x0081 : 0x0001);
    }; // down for the 2nd box only
    RunLauncher("");
    ASSERT_EQ(Fake().boxes.size(), 1u);
    EXPECT_EQ(Fake().boxes[0].text.rfind("Start the installer with param: '", 0), 0u);
}

TEST_F(LaunchSequence, ParametersPassTheTailOnUnchangedBeforeTheConfigSwitch)
{
    EXPECT_EQ(BuildInstallerParameters("", "C:\\Kit\\"), " /config=\"C:\\Kit\\setup.cfg\"");
    EXPECT_EQ(BuildInstallerParameters("/S  ", "\\"), "/S   /config=\"\\setup.cfg\"");

    // An uninstaller path that keeps the blank before its switch, and an empty tail: three
    // blanks reach the installer before /config=.
    const std::string path = "C:\\T\\RARAVIRO.exe ";
    EXPECT_EQ(BuildChildCommandLine(path, BuildInstallerParameters("", "C:\\Kit\\")),
              "C:\\T\\RARAVIRO.exe   /config=\"C:\\Kit\\setup.cfg\"");
}

TEST_F(LaunchSequence, ModuleDirectoryKeepsDriveAndDirectoryAndEndsInABackslash)
{
    const std::string longDirectory = "C:\\" + std::string(300, 'd') + "\\";
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\A\\B\\x.exe", "C:\\A\\B\\"},
        {"\\\\srv\\share\\x.exe", "\\\\srv\\share\\"},
        {"C:x.exe", "C:\\"},
        {"C:/A/x.exe", "C:/A/\\"},
        {"x.exe", "\\"},
        {"", "\\"},
        {longDirectory + "Quorvane.exe", longDirectory}, // kept whole: a cut one names the wrong folder
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ModuleDirectoryFromPath(c.first, AsciiCodePage()), c.second) << c.first;
    }
    EXPECT_EQ(ModuleDirectoryFromPath("C:\\\x83\x5C\\x.exe", DoubleByteTestCodePage()), "C:\\\x83\x5C\\");
    EXPECT_EQ(ModuleDirectoryFromPath("C:\\a\\\x83\x5Cx.exe", DoubleByteTestCodePage()), "C:\\a\\");

    Fake().modulePath = longDirectory + "Quorvane.exe";
    EXPECT_EQ(GetModuleDirectory(), longDirectory);
}
} // namespace

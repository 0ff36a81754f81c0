// Choosing the uninstaller: the product order, the version gate and the program path cut
// from an uninstall entry.
#include "launcher/UninstallerDiscovery.h"

#include "FakePlatform.h"

#include <gtest/gtest.h>

namespace {
constexpr FileVersion64 Version(unsigned major, unsigned minor, unsigned build, unsigned revision)
{
    return (FileVersion64(major) << 48) | (FileVersion64(minor) << 32) | (FileVersion64(build) << 16) | revision;
}

class Discovery : public FakePlatformTest {
protected:
    void SetEntry(const std::string& subkeyName, const std::string& uninstallString, std::uint32_t type = 1)
    {
        Fake().localMachine[UninstallKeyPath(subkeyName)]["UninstallString"] = {type, uninstallString};
    }
};

TEST_F(Discovery, VersionGateGoesHalfByHalf)
{
    const std::pair<FileVersion64, bool> cases[] = {
        {Version(1, 2, 3, 9), true},           {Version(1, 2, 3, 8), false},   {Version(1, 3, 0, 0), true},
        {Version(1, 2, 4, 0), true},           {Version(2, 0, 0, 0), true},    {Version(1, 1, 99, 99), false},
        {Version(1, 2, 0xFFFF, 0xFFFF), true}, {0x00010001FFFFFFFFULL, false}, {0, false},
        {0xFFFFFFFFFFFFFFFFULL, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsUsableUninstallerVersion(c.first), c.second) << std::hex << c.first;
    }
    EXPECT_EQ(MinimumUninstallerVersion, 0x0001000200030009ULL);
}

TEST_F(Discovery, CutsTheProgramInFrontOfTheSwitchInAnyCase)
{
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\T\\RARAVIRO.exe /UNINSTALL C:\\T\\x.log", "C:\\T\\RARAVIRO.exe "},
        {"C:\\T\\RaraViro.exe /uninstall", "C:\\T\\RaraViro.exe "},
        {"C:\\T\\u.exe /UnInStAlL", "C:\\T\\u.exe "},
        {"\"C:\\Program Files\\T\\u.exe\" /UNINSTALL", "\"C:\\Program Files\\T\\u.exe\" "},
        {"/UNINSTALL", ""},
        {"C:\\x/UNINSTALLER/UNINSTALL", "C:\\x"}, // the first occurrence counts
    };
    for (const auto& c : cases) {
        std::string candidate = "untouched";
        EXPECT_TRUE(CutUninstallerCandidate(c.first, AsciiCodePage(), candidate)) << c.first;
        EXPECT_EQ(candidate, c.second);
    }
    std::string candidate = "untouched";
    EXPECT_FALSE(CutUninstallerCandidate("C:\\T\\u.exe /REMOVE", AsciiCodePage(), candidate));
    EXPECT_FALSE(CutUninstallerCandidate("C:\\T\\u.exe /UNINSTAL", AsciiCodePage(), candidate));
    EXPECT_EQ(candidate, "untouched");

    // On a double-byte code page the switch must begin at a character boundary.
    EXPECT_FALSE(CutUninstallerCandidate("C:\\\x83/uninstall", DoubleByteTestCodePage(), candidate));
    EXPECT_TRUE(CutUninstallerCandidate("C:\\\x83\x61 /uninstall", DoubleByteTestCodePage(), candidate));
    EXPECT_EQ(candidate, "C:\\\x83\x61 ");
}

TEST_F(Discovery, TakesTheFirstUsableProductAndLooksNoFurther)
{
    SetEntry(ProductUninstallKeys[2], "C:\\TTAL\\UN.exe /UNINSTALL");
    SetEntry(ProductUninstallKeys[3], "C:\\TOV\\UN.exe /UNINSTALL");
    Fake().versions["C:\\TTAL\\UN.exe "] = MinimumUninstallerVersion;
    Fake().versions["C:\\TOV\\UN.exe "] = MinimumUninstallerVersion;
    Fake().controlKey = [] {
        return short(0x80);
    };

    std::string path, programFile;
    ASSERT_TRUE(FindUninstaller(path, programFile));
    EXPECT_EQ(path, "C:\\TTAL\\UN.exe ");
    const std::vector<std::string> read = {UninstallKeyPath("Trelvo - Ruzod Iri!UninstallKey"),
                                           UninstallKeyPath("RedadaVador!UninstallKey"),
                                           UninstallKeyPath("TTAL!UninstallKey")};
    EXPECT_EQ(Fake().registryReads, read);
    EXPECT_TRUE(Fake().boxes.empty()); // absent products are passed over silently
}

TEST_F(Discovery, PassesOverEntriesWithoutSwitchSilentlyAndOldOnesWithABox)
{
    SetEntry(ProductUninstallKeys[0], "C:\\A\\UN.exe"); // no switch
    SetEntry(ProductUninstallKeys[1], "C:\\B\\UN.exe /UNINSTALL"); // 1.2.3.8
    SetEntry(ProductUninstallKeys[4], "C:\\C\\UN.exe /UNINSTALL"); // no version at all
    SetEntry(ProductUninstallKeys[5], "%ProgramFiles%\\D\\UN.exe /UNINSTALL", 2);
    Fake().versions["C:\\B\\UN.exe "] = Version(1, 2, 3, 8);
    Fake().versions["%ProgramFiles%\\D\\UN.exe "] = Version(1, 3, 0, 0);
    Fake().controlKey = [] {
        return short(0x80);
    };

    std::string path, programFile;
    ASSERT_TRUE(FindUninstaller(path, programFile));
    EXPECT_EQ(path, "%ProgramFiles%\\D\\UN.exe "); // taken as stored
    ASSERT_EQ(Fake().boxes.size(), 2u);
    EXPECT_EQ(Fake().boxes[0].text, "No UNxxx.exe or old version at'C:\\B\\UN.exe '");
    EXPECT_EQ(Fake().boxes[1].text, "No UNxxx.exe or old version at'C:\\C\\UN.exe '");
}

TEST_F(Discovery, ReadsTheVersionOfTheFileThatWillBeStarted)
{
    const struct {
        const char* uninstallString;
        std::map<std::string, FileVersion64> files;
        const char* programFile; // empty: passed over
    } cases[] = {
        // A bare name is the current directory's file, not one found along a search path.
        {"RARAVIRO.exe /UNINSTALL", {{".\\RARAVIRO.exe ", MinimumUninstallerVersion}}, ".\\RARAVIRO.exe "},
        {"RARAVIRO.exe /UNINSTALL", {{"RARAVIRO.exe ", MinimumUninstallerVersion}}, ""},
        // Without extension: the file with the extension the runner adds, no other.
        {"C:\\T\\UN/UNINSTALL", {{"C:\\T\\UN.com", 1}, {"C:\\T\\UN.exe", MinimumUninstallerVersion}}, ""},
        {"C:\\T\\UN/UNINSTALL", {{"C:\\T\\UN", MinimumUninstallerVersion}}, ""},
        {"C:\\T\\UN/UNINSTALL", {{"C:\\T\\UN.exe", MinimumUninstallerVersion}}, "C:\\T\\UN.exe"},
    };
    for (const auto& c : cases) {
        SetEntry(ProductUninstallKeys[0], c.uninstallString);
        Fake().versions = c.files;
        std::string path = "untouched", programFile = "untouched";
        EXPECT_EQ(FindUninstaller(path, programFile), *c.programFile != '\0') << c.uninstallString;
        if (*c.programFile != '\0') {
            EXPECT_EQ(programFile, c.programFile);
            EXPECT_EQ(path, std::string(c.uninstallString).substr(0, path.size()));
        } else {
            EXPECT_EQ(programFile, "untouched");
        }
    }
}
} // namespace

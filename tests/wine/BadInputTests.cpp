// The Win32 layer under bad input: files that are not what they claim to be, and no handle
// left open by the version reader or the runner on any path.
#include "platform/FileVersionReader.h"
#include "platform/ProcessRunner.h"

#include "WineTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {
class BadInput : public ::testing::Test {
protected:
    // A copy of the 1.2.3.9 test uninstaller, changed by edit.
    std::string DamagedCopy(const std::string& name, void (*edit)(std::string& image))
    {
        std::string image = ReadWholeFile(TestProgramDirectory() + "uninstaller_1239.exe");
        edit(image);
        WriteWholeFile(scratch_.path() + name, image);
        return scratch_.path() + name;
    }

    ScratchDirectory scratch_;
};

// Where the version resource begins: the UTF-16 key "VS_VERSION_INFO" stands 6 bytes in.
std::size_t VersionResource(const std::string& image)
{
    const std::string key("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0", 30);
    const std::size_t found = image.find(key);
    EXPECT_NE(found, std::string::npos);
    return found - 6;
}

TEST_F(BadInput, FilesThatAreNotWhatTheyClaim)
{
    const std::string truncated = DamagedCopy("truncated.exe", [](std::string& image) { image.resize(1024); });
    // The resource announces no fixed part at all (its value length is 0).
    const std::string noFixedPart = DamagedCopy("nofixed.exe", [](std::string& image) {
        const std::size_t start = VersionResource(image);
        image[start + 2] = 0;
        image[start + 3] = 0;
    });
    // The fixed part's signature is broken; its contents are still read (nothing checks it).
    const std::string unsigned_ = DamagedCopy("unsigned.exe", [](std::string& image) {
        const std::size_t signature = image.find(std::string("\xBD\x04\xEF\xFE", 4));
        ASSERT_NE(signature, std::string::npos);
        image[signature] = 0;
    });
    CreateDirectoryA((scratch_.path() + "RARAVIRO.exe").c_str(), nullptr);

    const DWORD before = OpenHandles();
    EXPECT_EQ(GetFileVersion64(truncated), 0u);
    EXPECT_EQ(GetFileVersion64(noFixedPart), 0u);
    EXPECT_EQ(GetFileVersion64(unsigned_), 0x0001000200030009ULL);
    EXPECT_EQ(GetFileVersion64(scratch_.path() + "RARAVIRO.exe"), 0u);
    EXPECT_EQ(GetFileVersion64(TestProgramDirectory() + "uninstaller_1239.exe"), 0x0001000200030009ULL);
    EXPECT_EQ(OpenHandles(), before);
}

TEST_F(BadInput, TheRunnerLeavesNoHandleOpen)
{
    const std::string child = scratch_.path() + "child.exe";
    ASSERT_TRUE(CopyFileA((TestProgramDirectory() + "uninstaller_plain.exe").c_str(), child.c_str(), FALSE));
    CreateDirectoryA((scratch_.path() + "dir.exe").c_str(), nullptr);
    const DWORD before = OpenHandles();
    EXPECT_EQ(RunAndWait(child, child, "/S"), 0);
    EXPECT_EQ(RunAndWait(scratch_.path() + "dir.exe", "dir.exe", ""), -1);
    EXPECT_EQ(RunAndWait(scratch_.path() + "missing", "missing", ""), -1);
    EXPECT_EQ(OpenHandles(), before);
}
} // namespace

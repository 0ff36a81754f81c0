// The file version reader against real executables with and without version resources.
#include "platform/FileVersionReader.h"

#include "WineTestSupport.h"

#include <gtest/gtest.h>

namespace {
TEST(FileVersionReader, ReadsTheFileVersionNotTheProductVersion)
{
    const std::string directory = TestProgramDirectory();
    ScratchDirectory scratch;
    WriteWholeFile(scratch.path() + "empty.exe", "");
    WriteWholeFile(scratch.path() + "text.exe", "MZ but no more");

    const struct {
        std::string path;
        FileVersion64 version;
    } cases[] = {
        {directory + "uninstaller_1239.exe", 0x0001000200030009ULL}, // product version 5.0.0.0
        {directory + "uninstaller_1238.exe", 0x0001000200030008ULL},
        {directory + "uninstaller_plain.exe", 0}, // no version resource
        {directory + "no_such_file.exe", 0},
        {"", 0},
        {scratch.path(), 0}, // a directory
        {scratch.path() + "empty.exe", 0},
        {scratch.path() + "text.exe", 0},
        // The blank that stays before the uninstall switch: the system finds the file anyway.
        {directory + "uninstaller_1239.exe ", 0x0001000200030009ULL},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetFileVersion64(c.path), c.version) << "'" << c.path << "'";
    }
}
} // namespace

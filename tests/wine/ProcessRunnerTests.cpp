// The process runner starting real child programs and reading their exit codes.
#include "platform/ProcessRunner.h"

#include "WineTestSupport.h"

#include <gtest/gtest.h>

namespace {
class ProcessRunner : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetCurrentDirectoryA(sizeof previousDirectory_, previousDirectory_);
        report_ = scratch_.path() + "report.txt";
        SetEnvironmentVariableA("QUORVANE_REPORT", report_.c_str());
        SetEnvironmentVariableA("QUORVANE_MARK", "inherited");
        SetExitCode("0");
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(previousDirectory_);
        SetEnvironmentVariableA("QUORVANE_REPORT", nullptr);
        SetEnvironmentVariableA("QUORVANE_EXIT", nullptr);
    }
    static void SetExitCode(const char* code) { SetEnvironmentVariableA("QUORVANE_EXIT", code); }
    // Puts a copy of the reporting child at scratch-relative path.
    std::string PlaceChild(const std::string& relativePath)
    {
        const std::string target = scratch_.path() + relativePath;
        EXPECT_TRUE(CopyFileA((TestProgramDirectory() + "uninstaller_plain.exe").c_str(), target.c_str(), FALSE))
            << target;
        return target;
    }
    // Runs and returns the child's report, empty when it did not run.
    std::string Run(const std::string& name, const std::string& argument0, const std::string& argument1,
                    std::int32_t expectedResult)
    {
        DeleteFileA(report_.c_str());
        EXPECT_EQ(RunAndWait(name, argument0, argument1), expectedResult) << name;
        return ReadWholeFile(report_);
    }

    ScratchDirectory scratch_;
    std::string report_;
    char previousDirectory_[MAX_PATH * 4] = {};
};

TEST_F(ProcessRunner, StartsTheNamedFileWithTheUnquotedCommandLine)
{
    CreateDirectoryA((scratch_.path() + "Program Files").c_str(), nullptr);
    const std::string child = PlaceChild("Program Files\\RARAVIRO.exe");
    SetExitCode("3");
    const std::string report = Run(child, child, "/S /config=\"C:\\Kit\\setup.cfg\"", 3);
    EXPECT_EQ(ReportField(report, "cmdline"), child + " /S /config=\"C:\\Kit\\setup.cfg\"");
    EXPECT_EQ(ReportField(report, "module"), child);
    EXPECT_EQ(ReportField(report, "mark"), "inherited");
    EXPECT_EQ(ReportField(report, "cwd") + "\\", std::string(previousDirectory_) + "\\");

    // Empty second argument: the first alone, without a trailing blank.
    EXPECT_EQ(ReportField(Run(child, child, "", 3), "cmdline"), child);
    // Blanks kept where they are: the one after the path, the joining one, the leading one.
    EXPECT_EQ(ReportField(Run(child + " ", child + " ", " /config=\"x\"", 3), "cmdline"), child + "   /config=\"x\"");
}

TEST_F(ProcessRunner, TriesTheCandidateExtensionsInOrder)
{
    const std::string exe = PlaceChild("un.exe");
    const std::string stem = exe.substr(0, exe.size() - 4);
    EXPECT_EQ(ReportField(Run(stem, stem, "x", 0), "module"), exe);
    const std::string com = PlaceChild("un.com");
    const std::string report = Run(stem, stem, "x", 0);
    EXPECT_EQ(ReportField(report, "module"), com);
    EXPECT_EQ(ReportField(report, "cmdline"), stem + " x"); // no extension added here

    // The only dot in a directory name does not make an extension.
    CreateDirectoryA((scratch_.path() + "v1.2").c_str(), nullptr);
    const std::string inDottedDirectory = PlaceChild("v1.2\\un.exe");
    EXPECT_EQ(ReportField(Run(scratch_.path() + "v1.2\\un", "un", "", 0), "module"), inDottedDirectory);

    // A name ending in a dot has an extension: it is tested and started as given, and the
    // system finds the file without the dot.
    const std::string bare = PlaceChild("bare");
    EXPECT_EQ(ReportField(Run(bare + ".", "bare.", "", 0), "module"), bare);

    // An extension is tested as given; nothing is tried after it.
    EXPECT_EQ(Run(stem + ".bin", stem, "", -1), "");
    EXPECT_EQ(Run(scratch_.path() + "missing", "missing", "", -1), "");
}

TEST_F(ProcessRunner, ABareNameIsLookedForInTheCurrentDirectoryOnly)
{
    const std::string child = PlaceChild("bare.exe");
    ASSERT_TRUE(SetCurrentDirectoryA(scratch_.path().c_str()));
    std::string report = Run("bare.exe", "bare.exe", "/S", 0);
    EXPECT_EQ(ReportField(report, "cmdline"), "bare.exe /S");
    EXPECT_EQ(ReportField(report, "module"), child);
    EXPECT_EQ(ReportField(Run("bare", "bare", "", 0), "module"), child);
    // Not along the search path, where the system's own programs are.
    EXPECT_EQ(Run("cmd.exe", "cmd.exe", "/c exit 5", -1), "");

    // A drive and a colon without a separator: relative to that drive's current directory.
    const std::string driveRelative = scratch_.path().substr(0, 2) + "bare.exe";
    report = Run(driveRelative, driveRelative, "", 0);
    EXPECT_EQ(ReportField(report, "module"), child);
}

TEST_F(ProcessRunner, ReturnsTheFullExitCodeAsASignedNumber)
{
    const std::string child = PlaceChild("code.exe");
    const struct {
        const char* exitCode;
        std::int32_t result;
    } cases[] = {{"0", 0}, {"3", 3}, {"0xFFFFFFFF", -1}, {"0x80000001", -2147483647}, {"0x7FFFFFFF", 2147483647}};
    for (const auto& c : cases) {
        SetExitCode(c.exitCode);
        std::int32_t exitCode = 12345;
        EXPECT_EQ(TryRunAndWait(child, child, "", exitCode), RunOutcome::Ended) << c.exitCode;
        EXPECT_EQ(exitCode, c.result) << c.exitCode;
    }
}

TEST_F(ProcessRunner, ReportsAChildThatCouldNotBeStarted)
{
    // Exists, so it is taken, but cannot be run: no other candidate is tried.
    CreateDirectoryA((scratch_.path() + "dir.com").c_str(), nullptr);
    PlaceChild("dir.exe");
    std::int32_t exitCode = 12345;
    EXPECT_EQ(TryRunAndWait(scratch_.path() + "dir", "dir", "", exitCode), RunOutcome::NotStarted);
    EXPECT_EQ(exitCode, -1);
    WriteWholeFile(scratch_.path() + "text.exe", "not a program");
    EXPECT_EQ(TryRunAndWait(scratch_.path() + "text.exe", "text.exe", "", exitCode), RunOutcome::NotStarted);
    EXPECT_EQ(exitCode, -1);
    EXPECT_EQ(ReadWholeFile(report_), "");
}

// The start for installers that need administrator rights. Wine never refuses a plain
// start for want of them, so the shell start is tried here on its own.
TEST_F(ProcessRunner, StartsThroughTheShellWithTheProgramInQuotes)
{
    const std::string folder = scratch_.path() + "Shell Start\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string child = PlaceChild("Shell Start\\RARAVIRO.exe");
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    const std::string parameters = " /S /config=\"C:\\Kit\\setup.cfg\"";
    for (const auto& c : {std::make_pair("3", 3), std::make_pair("0xFFFFFFFF", -1)}) {
        SetExitCode(c.first);
        DeleteFileA(report_.c_str());
        std::int32_t exitCode = 12345;
        // A bare name without extension: the same file a plain start takes.
        EXPECT_TRUE(RunThroughShellAndWait("RARAVIRO", parameters, exitCode));
        EXPECT_EQ(exitCode, c.second);
        const std::string report = ReadWholeFile(report_);
        EXPECT_EQ(ReportField(report, "cmdline"), "\".\\RARAVIRO.exe\" " + parameters);
        EXPECT_EQ(ReportField(report, "module"), child);
        EXPECT_EQ(ReportField(report, "cwd") + "\\", folder);
        EXPECT_EQ(ReportField(report, "mark"), "inherited");
    }
    std::int32_t exitCode = 12345;
    EXPECT_FALSE(RunThroughShellAndWait(scratch_.path() + "missing.exe", "", exitCode));
    EXPECT_EQ(exitCode, -1);
}
} // namespace

namespace {
TEST_F(ProcessRunner, StartsABatchFileWithoutNamingAnInterpreter)
{
    WriteWholeFile(scratch_.path() + "un.bat", "@echo batch %*> \"%QUORVANE_REPORT%\"\r\n@exit /b 4\r\n");
    PlaceChild("un.cmd"); // later in the order than .bat
    // The system hands a batch file's command line to its interpreter, so the first word
    // must name the file well enough for that.
    const std::string report = Run(scratch_.path() + "un", scratch_.path() + "un", "/S", 4);
    EXPECT_EQ(report.substr(0, 8), "batch /S");
}
} // namespace

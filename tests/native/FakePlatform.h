// A stand-in for the Win32 layer in the native build: registry entries, file versions,
// the installer's run, the Ctrl key and message boxes are set up and recorded here, so
// the launcher's logic runs unchanged on Linux under the sanitizers.
#pragma once

#include "platform/AnsiText.h"
#include "platform/FileVersionReader.h"
#include "platform/ProcessRunner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct FakeRun {
    std::string name, argument0, argument1;
};

struct FakeBox {
    std::string text, title;
    unsigned style;
    bool operator==(const FakeBox& other) const
    {
        return text == other.text && title == other.title && style == other.style;
    }
};

// Thrown where the real program would end its process, so a test can see the exit code.
struct ProcessEnded {
    int exitCode;
};

struct FakePlatform {
    // HKEY_LOCAL_MACHINE: full subkey path -> value name -> (type, data).
    std::map<std::string, std::map<std::string, std::pair<std::uint32_t, std::string>>> localMachine;
    // The files there are, with their versions (0: none); no other file exists.
    std::map<std::string, FileVersion64> versions;
    std::string modulePath = "C:\\Kit\\Quorvane.exe";
    bool modulePathHeld = true; // false: its folder cannot be named in the code page
    RunOutcome startOutcome = RunOutcome::Ended;
    bool shellStarts = true;
    std::int32_t childExitCode = 0;
    bool stationVisible = true;
    std::function<short()> controlKey = [] {
        return short(0);
    };

    std::vector<std::string> registryReads;
    std::vector<FakeRun> runs;
    std::vector<FakeRun> shellRuns; // argument0 empty, argument1 the parameters
    std::vector<FakeBox> boxes;
};

// The platform of the running test; a fresh one for every test through FakePlatformTest.
FakePlatform& Fake();

class FakePlatformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Fake() = FakePlatform{};
        UseCodePage(AsciiCodePage());
    }
};

inline std::string UninstallKeyPath(const std::string& subkeyName)
{
    return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + subkeyName;
}

// A code page shaped like 932: lead bytes 0x81-0x9F and 0xE0-0xFC, ASCII letters, and the
// full-width letters 0x82 0x81-0x9A upper-cased to 0x82 0x60-0x79.
CodePage DoubleByteTestCodePage();

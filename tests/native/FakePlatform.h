// A stand-in for the Win32 layer in the native build: uninstall entries, files and their
// versions, short path forms, the installer's start, the session, the Ctrl key, message
// boxes and debug output are set up and recorded here, so the launcher's logic runs
// unchanged on Linux. Its code page conversion holds the characters up to U+00FF, and turns
// any other character, a surrogate pair included, into one '?'.
#pragma once

#include "launcher/UninstallerDiscovery.h"
#include "platform/AnsiPath.h"
#include "platform/AnsiText.h"
#include "platform/FileVersionReader.h"
#include "platform/ProcessRunner.h"
#include "platform/RegistryReader.h"
#include "platform/SystemFacts.h"
#include "platform/UserInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

using FakeRun = std::tuple<std::string, std::string, std::string>; // file, first word ("": shell), parameters
using FakeBox = std::tuple<std::string, std::string, unsigned>; // text, title, style

// Thrown where the real program ends its process.
struct ProcessEnded {
    int exitCode;
};

// An UninstallString as a read finds it.
struct FakeRegistryValue {
    WideText text;
    std::uint32_t type = 1; // REG_SZ
    RegistryRead read = RegistryRead::Read;
};

struct FakePlatform {
    std::map<std::string, FakeRegistryValue> uninstallStrings; // key -> its UninstallString; no key: NoKey
    std::map<std::string, FileVersion64> files; // with their versions (0: none); no other file exists
    std::map<WideText, WideText> shortForms; // paths that have a short form
    bool modulePathHeld = true; // false: its folder has no name the code page can hold
    RunOutcome startOutcome = RunOutcome::Ended;
    bool shellStarts = true;
    std::int32_t childExitCode = 0;
    SessionFacts session;
    WindowsVersion windows;
    Answer windows64Bit = Answer::Unknown;
    Answer administrator = Answer::Unknown;
    std::vector<short> controlKey = {0}; // its state at each read, the last one kept

    std::size_t controlKeyReads = 0;
    std::vector<std::string> registryReads;
    std::vector<FakeRun> runs;
    std::vector<FakeBox> boxes;
    std::vector<std::string> debugOutput;
};

// The platform of the running test; fresh for every test through FakePlatformTest.
FakePlatform& Fake();

class FakePlatformTest : public ::testing::Test {
protected:
    void SetUp() override { Fake() = FakePlatform{}; }
};

inline std::string UninstallKey(const std::string& subkeyName)
{
    return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + subkeyName;
}

// Product number product's UninstallString; with a version, also the file it names in
// front of its switch.
inline void SetEntry(int product, const std::string& value, FileVersion64 version = 0)
{
    // Stored wide as the registry keeps it; each byte a character, which the stand-in code
    // page conversion turns back into the same byte.
    Fake().uninstallStrings[UninstallKey(ProductUninstallKeys[product])] = {WideText(value.begin(), value.end())};
    if (version != 0) {
        Fake().files[value.substr(0, value.find("/UNINSTALL"))] = version;
    }
}

// A code page shaped like 932: lead bytes 0x81-0x9F and 0xE0-0xFC, ASCII letters, and the
// full-width letters 0x82 0x81-0x9A upper-cased to 0x82 0x60-0x79.
inline CodePage DoubleByteTestCodePage()
{
    CodePage codePage = AsciiCodePage();
    codePage.id = 932;
    for (unsigned byte = 0x81; byte <= 0xFC; ++byte) {
        codePage.leadByte[byte] = byte <= 0x9F || byte >= 0xE0;
    }
    codePage.upperDoubleByte = [](unsigned char& lead, unsigned char& trail) {
        if (lead == 0x82 && trail >= 0x81 && trail <= 0x9A) {
            trail = static_cast<unsigned char>(trail - 0x21);
        }
    };
    return codePage;
}

// The Win32 layer's stand-in in the native build, set up and recorded by the tests. Its code
// page conversion gives UTF-8 on 65001 (a lone surrogate as '?'), ASCII and katakana SO on
// 932, U+0000 to U+00FF elsewhere; any other character, a pair too, is one '?'.
#pragma once

#include "launcher/UninstallerDiscovery.h"
#include "platform/LogFile.h"
#include "platform/ProcessRunner.h"
#include "platform/RegistryReader.h"
#include "platform/System.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

// A start: the file, the first word of its command line ("" through the shell), its
// parameters, the folder of a shell start ("" for a plain one).
using FakeRun = std::tuple<std::string, std::string, std::string, std::string>;
using FakeBox = std::tuple<std::string, std::string, unsigned>; // text, title, style

// Thrown where the real program ends its process.
struct ProcessEnded {
    int exitCode;
};

// An UninstallString as a read finds it; a read that Failed fails with error 5.
struct FakeRegistryValue {
    WideText text;
    std::uint32_t type = kRegistryString;
    RegistryRead read = RegistryRead::Read;
};

// How a plain or a shell start goes; its error only where the launcher reads it.
struct FakeStart {
    RunOutcome outcome = RunOutcome::Ended;
    unsigned long error = 0;
};

struct FakePlatform {
    std::map<std::string, FakeRegistryValue> uninstallStrings; // key -> its UninstallString; no key: NoKey
    std::map<std::string, FileVersion64> files; // with their versions (0: none); no other file exists
    unsigned long versionError = 1813; // why a version 0 cannot be read
    unsigned long fullPathError = 0; // why no full path can be made; else a file's full path is its name
    std::map<WideText, WideText> shortForms; // paths that have a short form
    WideText modulePath = WidenAscii("C:\\Kit\\Quorvane.exe");
    FakeStart plainStart, shellStart;
    std::int32_t childExitCode = 0;
    SessionFacts session;
    WindowsVersion windows;
    Answer windows64Bit = Answer::Unknown;
    TokenFacts token;
    std::vector<short> controlKey = {0}; // its state at each read, the last one kept
    std::map<std::string, WideText> environment; // the launcher's own
    Environment machineEnvironment; // the machine's own, as a block
    unsigned long machineEnvironmentError = 0; // machine variables that cannot be had: the system's error
    std::map<unsigned long, std::string> errorTexts; // the system's messages
    WideText temporaryFolder = {L'C', L':', L'\\', L'T', L'\\'}; // empty: none, error 5
    std::set<WideText> takenNames; // in the log folder
    unsigned long createError = 0; // a log that cannot be created: the system's error
    std::size_t logWritesLeft = SIZE_MAX; // the writes that succeed before the disk is full
    bool logsRemovable = true; // false: a folder that lets files be made but not removed
    std::string currentDirectory = "C:\\Work";
    std::map<char, std::pair<NetworkForm, std::string>> drives; // letter -> its kind and share; else local

    std::size_t controlKeyReads = 0;
    std::vector<std::string> registryReads;
    std::vector<FakeRun> runs;
    std::vector<FakeBox> boxes;
    std::vector<std::string> debugOutput; // without the "Quorvane: " and line end of every line
    std::map<WideText, std::string> logs; // created and not removed, with what was written
    WideText openLog; // the one written to; empty once closed
};

// The platform of the running test; fresh for every test through FakePlatformTest.
FakePlatform& Fake();

struct FakePlatformTest : ::testing::Test {
    void SetUp() override { Fake() = FakePlatform{}; }
};

// Wide text from bytes, each one character, or from a wide literal.
inline WideText W(const std::string& text)
{
    return WideText(reinterpret_cast<const unsigned char*>(text.data()),
                    reinterpret_cast<const unsigned char*>(text.data() + text.size()));
}

inline WideText W(const std::wstring& text)
{
    return WideText(text.begin(), text.end());
}

inline std::string UninstallKey(const std::string& subkeyName)
{
    return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + subkeyName;
}

// Product number product's UninstallString, and the file in front of its switch with its version (0: none).
inline void SetEntry(int product, const std::string& value, FileVersion64 version = 0)
{
    Fake().uninstallStrings[UninstallKey(ProductUninstallKeys[product])] = {W(value)};
    Fake().files[value.substr(0, value.find("/UNINSTALL"))] = version;
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
    codePage.upperCharacter = [](const std::string& character) {
        std::string upper = character;
        if (upper[0] == '\x82' && upper[1] >= '\x81' && upper[1] <= '\x9A') {
            upper[1] = static_cast<char>(upper[1] - 0x21);
        }
        return upper;
    };
    return codePage;
}

// UTF-8 with three mappings: e acute to E acute (two bytes each), Deseret small long I to
// its capital (four bytes each), and the dotless i to I, which would shorten the text.
inline CodePage Utf8TestCodePage()
{
    CodePage codePage = AsciiCodePage();
    codePage.id = 65001;
    codePage.utf8 = true;
    codePage.upperCharacter = [](const std::string& character) {
        return character == "\xC3\xA9"           ? std::string("\xC3\x89")
               : character == "\xF0\x90\x90\xA8" ? std::string("\xF0\x90\x90\x80")
               : character == "\xC4\xB1"         ? std::string("I")
                                                 : character;
    };
    return codePage;
}

// The native stand-in for the Win32 layer; see FakePlatform.h.
#include "FakePlatform.h"

#include <algorithm>

FakePlatform& Fake()
{
    static FakePlatform platform;
    return platform;
}

RegistryRead ReadRegistryString(const std::string& subKey, const std::string& valueName, WideText& value,
                                std::uint32_t& type, unsigned long& error)
{
    Fake().registryReads.push_back(subKey);
    const auto entry = Fake().uninstallStrings.find(subKey);
    const bool found = valueName == "UninstallString" && entry != Fake().uninstallStrings.end();
    const FakeRegistryValue stored = found ? entry->second : FakeRegistryValue{{}, 0, RegistryRead::NoKey};
    value = stored.read == RegistryRead::Read ? stored.text : WideText();
    type = stored.type;
    error = 5; // ERROR_ACCESS_DENIED, for a read that Failed
    return stored.read;
}

bool GetFullPathAnsi(const std::string& path, std::string& full, unsigned long& error)
{
    full = Fake().fullPathError == 0 ? path : "";
    error = Fake().fullPathError;
    return error == 0;
}

FileVersion64 GetFileVersion64(const std::string& path, unsigned long& error)
{
    const auto file = Fake().files.find(path);
    const FileVersion64 version = file == Fake().files.end() ? 0 : file->second;
    error = version == 0 ? (file == Fake().files.end() ? 2 : Fake().versionError) : 0;
    return version;
}

std::string FindProgramFile(const std::string& name, unsigned long& error)
{
    // ERROR_FILE_NOT_FOUND for a file that is not there.
    return ChooseProgramFile(
        name, [](const std::string& file) { return Fake().files.count(file) != 0 ? 0UL : 2UL; }, error);
}

// Both starts are recorded and go as the test set them.
RunOutcome Start(const FakeRun& run, const FakeStart& start, std::int32_t& exitCode, unsigned long& error)
{
    Fake().runs.push_back(run);
    exitCode = start.outcome == RunOutcome::Ended ? Fake().childExitCode : -1;
    error = start.error;
    return start.outcome;
}

RunOutcome RunAndWait(const std::string& fullPath, const std::string& argument0, const std::string& argument1,
                      std::int32_t& exitCode, unsigned long& error)
{
    return Start({fullPath, argument0, argument1, ""}, Fake().plainStart, exitCode, error);
}

RunOutcome RunThroughShellAndWait(const std::string& fullPath, const std::string& parameters,
                                  const std::string& directory, std::int32_t& exitCode, unsigned long& error)
{
    return Start({fullPath, "", parameters, directory}, Fake().shellStart, exitCode, error);
}

short ReadControlKeyState()
{
    const std::vector<short>& states = Fake().controlKey;
    return states[std::min(Fake().controlKeyReads++, states.size() - 1)];
}

// What the system tells, as the test set it; the clock and the process id, which name the log, stay fixed.
#define TELLS(Type, Read, value)                                                                                       \
    Type Read()                                                                                                        \
    {                                                                                                                  \
        return value;                                                                                                  \
    }
TELLS(SessionFacts, ReadSessionFacts, Fake().session)
TELLS(WindowsVersion, ReadWindowsVersion, Fake().windows)
TELLS(Answer, IsWindows64Bit, Fake().windows64Bit)
TELLS(TokenFacts, ReadTokenFacts, Fake().token)
TELLS(LocalTime, ReadLocalTime, (LocalTime{2026, 12, 7, 14, 13, 44, 123}))
TELLS(unsigned long, ReadProcessId, 4242)

void ShowMessageBox(const std::string& text, const std::string& title, unsigned style)
{
    Fake().boxes.emplace_back(text, title, style);
}

// Kept without the prefix and line end every line carries; a line that lacks either is marked, so it matches none.
void WriteDebugOutput(const char* text)
{
    const std::string line = text, prefix = "Quorvane: ";
    const bool framed = line.compare(0, prefix.size(), prefix) == 0 && line.back() == '\n';
    Fake().debugOutput.push_back(framed ? line.substr(prefix.size(), line.size() - prefix.size() - 1)
                                        : "(unframed) " + line);
}

bool WideToAnsi(const wchar_t* wide, std::size_t length, unsigned codePage, std::string& ansi)
{
    ansi.clear();
    WideText text(wide, wide + length);
    const unsigned id = codePage != 0 ? codePage : ActiveCodePage().id;
    bool exact = id != 65001 || !ReplaceLoneSurrogates(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        // As Windows does: a surrogate pair is one character.
        const bool pair = IsSurrogatePairAt(text, i);
        const unsigned long code = pair ? 0x10000 + ((text[i] - 0xD800UL) << 10) + (text[i + 1] - 0xDC00UL) : text[i];
        i += pair ? 1 : 0;
        if (id == 65001) {
            const int extra = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
            const unsigned long lead[] = {0, 0xC0, 0xE0, 0xF0};
            ansi += static_cast<char>(lead[extra] | (code >> (6 * extra)));
            for (int shift = 6 * (extra - 1); shift >= 0; shift -= 6) {
                ansi += static_cast<char>(0x80 | ((code >> shift) & 0x3F));
            }
        } else if (id == 932 && code == 0x30BD) {
            ansi += "\x83\x5C";
        } else {
            const bool held = code < (id == 932 ? 0x80UL : 0x100UL);
            ansi += held ? static_cast<char>(code) : '?';
            exact = exact && held;
        }
    }
    return exact;
}

// The native tests' logs hold ASCII alone.
std::string AnsiToUtf8(const std::string& ansi)
{
    return ansi;
}

bool ReadMachineEnvironment(Environment& variables, unsigned long& error)
{
    variables = Fake().machineEnvironment;
    error = Fake().machineEnvironmentError;
    return error == 0;
}

// The system's upper-casing for ASCII and Latin-1, enough to tell it from ASCII alone.
bool SameVariableName(const wchar_t* a, std::size_t aLength, const wchar_t* b, std::size_t bLength)
{
    const auto upper = [](wchar_t c) {
        return (c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ? static_cast<wchar_t>(c - 0x20) : c;
    };
    return aLength == bLength &&
           std::equal(a, a + aLength, b, [&](wchar_t x, wchar_t y) { return upper(x) == upper(y); });
}

std::string WindowsError(unsigned long error)
{
    return ErrorLine(error, Fake().errorTexts[error]);
}

NetworkForm NetworkFormOf(const std::string& path, std::string& network, unsigned long& error)
{
    const auto drive = Fake().drives.find(path.size() >= 2 && path[1] == ':' ? path[0] : '\0');
    if (drive == Fake().drives.end()) {
        return NetworkForm::NotNetwork;
    }
    network = drive->second.second + path.substr(2);
    error = 1222; // ERROR_NO_NETWORK
    return drive->second.first;
}

bool GetCurrentDirectoryAnsi(std::string& directory)
{
    directory = Fake().currentDirectory;
    return !directory.empty();
}

bool ReadEnvironmentVariable(const char* name, WideText& value)
{
    const auto variable = Fake().environment.find(name);
    value = variable != Fake().environment.end() ? variable->second : WideText();
    return variable != Fake().environment.end();
}

bool ReadTemporaryFolder(WideText& folder, unsigned long& error)
{
    folder = Fake().temporaryFolder;
    error = 5;
    return !folder.empty();
}

NewFile CreateLogFile(const WideText& path, unsigned long& error)
{
    error = Fake().createError;
    const NewFile made = Fake().takenNames.count(path) != 0 ? NewFile::Taken
                         : error != 0                       ? NewFile::Failed
                                                            : NewFile::Created;
    if (made == NewFile::Created) {
        Fake().openLog = path;
        Fake().logs[path];
    }
    return made;
}

bool CloseLogFile(bool remove, unsigned long& error)
{
    const bool removed = !remove || (Fake().logsRemovable && Fake().logs.erase(Fake().openLog) == 1);
    error = removed ? error : 5; // ERROR_ACCESS_DENIED
    Fake().openLog.clear();
    return removed;
}

bool WriteLogFile(const std::string& bytes, unsigned long& error)
{
    error = 112; // ERROR_DISK_FULL
    if (Fake().logWritesLeft == 0) {
        return false;
    }
    --Fake().logWritesLeft;
    Fake().logs[Fake().openLog] += bytes;
    return true;
}

bool AnsiPathName(const WideText& path, std::string& ansi)
{
    const WideText shortForm = Fake().shortForms.count(path) != 0 ? Fake().shortForms[path] : WideText();
    const bool named = WideToAnsi(path.data(), path.size(), 0, ansi) ||
                       (!shortForm.empty() && WideToAnsi(shortForm.data(), shortForm.size(), 0, ansi));
    ansi.resize(named ? ansi.size() : 0);
    return named;
}

WideText GetModulePathWide(unsigned long& error)
{
    error = Fake().modulePath.empty() ? 5 : 0;
    return Fake().modulePath;
}

void EndProcess(int exitCode)
{
    throw ProcessEnded{exitCode};
}

void EndProcessAtOnce(int exitCode)
{
    throw ProcessEnded{exitCode};
}

void HandleRuntimeAbort(void (*)(int)) {}

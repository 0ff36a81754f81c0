// The native stand-in for the Win32 layer; see FakePlatform.h.
#include "FakePlatform.h"

#include "platform/ProcessControl.h"
#include "platform/RegistryReader.h"
#include "platform/SystemCodePage.h"

FakePlatform& Fake()
{
    static FakePlatform platform;
    return platform;
}

RegistryRead ReadRegistryString(RegistryRoot root, const std::string& subKey, const std::string& valueName,
                                WideText& value, std::uint32_t& type)
{
    Fake().registryReads.push_back(subKey);
    const auto entry = Fake().uninstallStrings.find(subKey);
    value.clear();
    type = 0;
    if (root != RegistryRoot::LocalMachine || valueName != "UninstallString" ||
        entry == Fake().uninstallStrings.end()) {
        return RegistryRead::NoKey;
    }
    type = entry->second.type;
    if (entry->second.read == RegistryRead::Read) {
        value = entry->second.text;
    }
    return entry->second.read;
}

FileVersion64 GetFileVersion64(const std::string& path)
{
    const auto file = Fake().files.find(path);
    return file == Fake().files.end() ? 0 : file->second;
}

std::string FindProgramFile(const std::string& name)
{
    return ChooseProgramFile(name, [](const std::string& file) { return Fake().files.count(file) != 0; });
}

RunOutcome RunAndWait(const std::string& name, const std::string& argument0, const std::string& argument1,
                      std::int32_t& exitCode)
{
    Fake().runs.emplace_back(name, argument0, argument1);
    exitCode = Fake().startOutcome == RunOutcome::Ended ? Fake().childExitCode : -1;
    return Fake().startOutcome;
}

bool RunThroughShellAndWait(const std::string& name, const std::string& parameters, std::int32_t& exitCode)
{
    Fake().runs.emplace_back(name, "", parameters);
    exitCode = Fake().shellStarts ? Fake().childExitCode : -1;
    return Fake().shellStarts;
}

short ReadControlKeyState()
{
    const std::vector<short>& states = Fake().controlKey;
    return states[std::min(Fake().controlKeyReads++, states.size() - 1)];
}

SessionFacts ReadSessionFacts()
{
    return Fake().session;
}

WindowsVersion ReadWindowsVersion()
{
    return Fake().windows;
}

Answer IsWindows64Bit()
{
    return Fake().windows64Bit;
}

Answer HasAdministratorRights()
{
    return Fake().administrator;
}

int ShowMessageBox(const std::string& text, const std::string& title, unsigned style)
{
    Fake().boxes.emplace_back(text, title, style);
    return 1; // IDOK
}

void WriteDebugOutput(const char* text)
{
    Fake().debugOutput.emplace_back(text);
}

bool WideToAnsi(const wchar_t* wide, std::size_t length, unsigned /*codePage*/, std::string& ansi)
{
    ansi.clear();
    bool exact = true;
    for (std::size_t i = 0; i < length; ++i) {
        const bool held = static_cast<unsigned long>(wide[i]) <= 0xFF;
        ansi += held ? static_cast<char>(wide[i]) : '?';
        exact = exact && held;
        // As Windows does: a surrogate pair is one character, and one '?'.
        if (i + 1 < length && wide[i] >= 0xD800 && wide[i] <= 0xDBFF && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            ++i;
        }
    }
    return exact;
}

WideText ShortPathForm(const WideText& path)
{
    const auto found = Fake().shortForms.find(path);
    return found == Fake().shortForms.end() ? WideText() : found->second;
}

bool GetModulePath(std::string& path)
{
    path = Fake().modulePathHeld ? "C:\\Kit\\Quorvane.exe" : "";
    return Fake().modulePathHeld;
}

void EndProcess(int exitCode)
{
    throw ProcessEnded{exitCode};
}

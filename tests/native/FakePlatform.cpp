// The native test double of the Win32 layer; see FakePlatform.h.
#include "FakePlatform.h"

#include "platform/ProcessControl.h"
#include "platform/ProcessRunner.h"
#include "platform/RegistryReader.h"
#include "platform/UserInterface.h"

FakePlatform& Fake()
{
    static FakePlatform platform;
    return platform;
}

bool ReadRegistryString(RegistryRoot root, const std::string& subKey, const std::string& valueName, std::string& value,
                        std::uint32_t& type)
{
    value.clear();
    type = 0;
    Fake().registryReads.push_back(subKey);
    if (root != RegistryRoot::LocalMachine) {
        return false;
    }
    const auto key = Fake().localMachine.find(subKey);
    if (key == Fake().localMachine.end()) {
        return false;
    }
    const auto entry = key->second.find(valueName);
    if (entry == key->second.end()) {
        return false;
    }
    type = entry->second.first;
    if (type != 1 && type != 2) { // REG_SZ, REG_EXPAND_SZ
        return false;
    }
    value = entry->second.second;
    return true;
}

FileVersion64 GetFileVersion64(const std::string& path)
{
    const auto found = Fake().versions.find(path);
    return found == Fake().versions.end() ? 0 : found->second;
}

std::string FindProgramFile(const std::string& name)
{
    return ChooseProgramFile(name, [](const std::string& file) { return Fake().versions.count(file) != 0; });
}

RunOutcome TryRunAndWait(const std::string& name, const std::string& argument0, const std::string& argument1,
                         std::int32_t& exitCode)
{
    Fake().runs.push_back({name, argument0, argument1});
    exitCode = Fake().startOutcome == RunOutcome::Ended ? Fake().childExitCode : -1;
    return Fake().startOutcome;
}

bool RunThroughShellAndWait(const std::string& name, const std::string& parameters, std::int32_t& exitCode)
{
    Fake().shellRuns.push_back({name, "", parameters});
    exitCode = Fake().shellStarts ? Fake().childExitCode : -1;
    return Fake().shellStarts;
}

short ReadControlKeyState()
{
    return Fake().controlKey();
}

bool WindowStationIsVisible()
{
    return Fake().stationVisible;
}

int ShowMessageBox(const std::string& text, const std::string& title, unsigned style)
{
    Fake().boxes.push_back({text, title, style});
    return 1; // IDOK
}

bool GetModulePath(std::string& path)
{
    path = Fake().modulePathHeld ? Fake().modulePath : std::string();
    return Fake().modulePathHeld;
}

void EndProcess(int exitCode)
{
    throw ProcessEnded{exitCode};
}

namespace {
void UpperFullWidth(unsigned char& lead, unsigned char& trail)
{
    if (lead == 0x82 && trail >= 0x81 && trail <= 0x9A) {
        trail = static_cast<unsigned char>(trail - 0x21);
    }
}
} // namespace

CodePage DoubleByteTestCodePage()
{
    CodePage codePage = AsciiCodePage();
    codePage.id = 932;
    for (unsigned byte = 0x81; byte <= 0xFC; ++byte) {
        codePage.leadByte[byte] = byte <= 0x9F || byte >= 0xE0;
    }
    codePage.upperDoubleByte = &UpperFullWidth;
    return codePage;
}

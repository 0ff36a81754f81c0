// Finding a usable uninstaller through the products' uninstall entries; see
// UninstallerDiscovery.h.
#include "UninstallerDiscovery.h"

#include "Diagnostics.h"
#include "platform/ProcessRunner.h"
#include "platform/RegistryReader.h"

const char* const ProductUninstallKeys[8] = {
    "Trelvo - Ruzod Iri!UninstallKey",
    "RedadaVador!UninstallKey",
    "TTAL!UninstallKey",
    "TOVUninstallKey", // this product's installer writes it without the exclamation mark
    "TrelvoQuent!UninstallKey",
    "TrelvoVantelo!UninstallKey",
    "TrelvoLumio!UninstallKey",
    "TrelvoHeddle!UninstallKey",
};

namespace {
const char* const kUninstallListRoot = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
} // namespace

bool CutUninstallerCandidate(const std::string& uninstallString, const CodePage& codePage, std::string& candidate)
{
    // Search an upper-cased copy; it has the same length, so the position holds in the
    // value as read, whose letter case the candidate keeps.
    std::string upper = uninstallString;
    UpperCaseInPlace(upper, codePage);
    const long long pos = SearchText(upper, "/UNINSTALL", codePage);
    if (pos < 0) {
        return false;
    }
    candidate = TakeLeft(uninstallString, pos);
    return true;
}

bool CheckUninstallEntry(const std::string& subkeyName, std::string& path, std::string& programFile)
{
    std::string value;
    std::uint32_t type = 0;
    if (!ReadRegistryString(RegistryRoot::LocalMachine, kUninstallListRoot + subkeyName, "UninstallString", value,
                            type)) {
        return false;
    }
    std::string candidate;
    if (!CutUninstallerCandidate(value, ActiveCodePage(), candidate)) {
        return false;
    }
    // The version is read from the very file that will be started: a bare name from the
    // current directory, a name without extension with the extension the runner adds.
    const std::string file = FindProgramFile(candidate);
    if (file.empty() || !IsUsableUninstallerVersion(GetFileVersion64(file))) {
        ShowDebugInfo("No UNxxx.exe or old version at'" + candidate + "'");
        return false;
    }
    path = candidate;
    programFile = file;
    return true;
}

bool FindUninstaller(std::string& path, std::string& programFile)
{
    for (const char* subkeyName : ProductUninstallKeys) {
        if (CheckUninstallEntry(subkeyName, path, programFile)) {
            return true;
        }
    }
    return false;
}

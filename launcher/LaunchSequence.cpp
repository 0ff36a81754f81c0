// The launch sequence; see LaunchSequence.h.
#include "LaunchSequence.h"

#include "Diagnostics.h"
#include "UninstallerDiscovery.h"
#include "platform/ProcessControl.h"
#include "platform/ProcessRunner.h"

std::string ModuleDirectoryFromPath(const std::string& modulePath, const CodePage& codePage)
{
    const std::size_t driveLength = modulePath.size() >= 2 && modulePath[1] == ':' ? 2 : 0;
    // The directory ends at the last separator; double-byte characters are stepped over
    // whole, so a trail byte that looks like a backslash never splits the path. The whole
    // directory is kept, however long: a shortened one would name the wrong setup.cfg.
    const long long lastSeparator = FindLastOf(modulePath.substr(driveLength), "\\/", codePage);
    std::string directory = modulePath.substr(0, driveLength + static_cast<std::size_t>(lastSeparator + 1));
    if (directory.empty() || directory.back() != '\\') {
        directory += '\\';
    }
    return directory;
}

std::string GetModuleDirectory()
{
    return ModuleDirectoryFromPath(GetModulePath(), ActiveCodePage());
}

std::string BuildInstallerParameters(const std::string& commandTail, const std::string& directory)
{
    return commandTail + " /config=\"" + directory + "setup.cfg\"";
}

int RunLauncher(const std::string& commandTail)
{
    std::string path;
    if (!FindUninstaller(path)) {
        ShowFatalError(kNotFoundMessage);
    }
    ShowDebugInfo("RARAVIRO.exe or UNxxx.exe path: '" + path + "'");

    const std::string parameters = BuildInstallerParameters(commandTail, GetModuleDirectory());
    ShowDebugInfo("Start the installer with param: '" + parameters + "'");

    std::int32_t result = -1;
    const bool ran = TryRunAndWait(path, path, parameters, result);
    ShowDebugInfo("(Un-)Installer ready with return-value:" + std::to_string(result));

    // The installer's own exit code is only shown; but an installer that never ran must
    // not look like success to a script that started the launcher.
    return ran ? 0 : -1;
}

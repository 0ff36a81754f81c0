// The launch sequence; see LaunchSequence.h.
#include "LaunchSequence.h"

#include "Diagnostics.h"
#include "UninstallerDiscovery.h"
#include "platform/ProcessControl.h"
#include "platform/FileVersionReader.h"
#include "platform/ProcessRunner.h"
#include "platform/SystemFacts.h"

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
    std::string modulePath;
    if (!GetModulePath(modulePath)) {
        return std::string();
    }
    return ModuleDirectoryFromPath(modulePath, ActiveCodePage());
}

std::string BuildInstallerParameters(const std::string& commandTail, const std::string& directory)
{
    return commandTail + " /config=\"" + directory + "setup.cfg\"";
}

namespace {
// Starts the installer and waits for it; true when it ran to its end. An installer that
// needs administrator rights is refused by the plain start when the launcher has none;
// the shell start then asks the user for consent, which only a session someone sees can
// give.
bool RunInstaller(const std::string& programFile, const std::string& path, const std::string& parameters,
                  std::int32_t& result)
{
    const RunOutcome outcome = RunAndWait(programFile, path, parameters, result);
    if (outcome != RunOutcome::NeedsElevation) {
        return outcome == RunOutcome::Ended;
    }
    if (!BoxCanBeSeen(ReadSessionFacts())) {
        TraceStep("the installer needs administrator rights, and nobody can consent in this session: not started");
        return false;
    }
    const bool ran = RunThroughShellAndWait(programFile, parameters, result);
    TraceStep(ran ? "the installer needs administrator rights: started through the shell, which asked for consent"
                  : "the installer needs administrator rights: the shell did not start it (consent declined, or the "
                    "start failed)");
    return ran;
}
} // namespace

void TraceStart(const std::string& commandLine, bool dllSearchRestricted)
{
    StartFacts facts;
    // Read with the reader that reads the installer's version, so the two cannot disagree.
    std::string modulePath;
    if (GetModulePath(modulePath)) {
        facts.launcherVersion = GetFileVersion64(modulePath);
    }
    facts.windows = ReadWindowsVersion();
    facts.windows64Bit = IsWindows64Bit();
    facts.administrator = HasAdministratorRights();
    facts.session = ReadSessionFacts();
    facts.codePage = ActiveCodePage().id;
    facts.commandLine = commandLine;
    TraceStep(DescribeStart(facts));
    if (!dllSearchRestricted) {
        TraceStep("the DLL search cannot be kept to the system folder on this Windows (Vista, or 7 without "
                  "KB2533623): only the launcher's own DLL loads are; a DLL planted beside it may be loaded by "
                  "the system's libraries");
    }
}

int RunLauncher(const std::string& commandTail)
{
    std::string path;
    std::string programFile;
    if (!FindUninstaller(path, programFile)) {
        ShowFatalError(kNotFoundMessage);
    }
    ShowDebugInfo("RARAVIRO.exe or UNxxx.exe path: '" + path + "'");

    // A folder named wrongly would point the installer at another setup.cfg, or none.
    const std::string directory = GetModuleDirectory();
    if (directory.empty()) {
        ShowFatalError(kFolderNameMessage);
    }
    const std::string parameters = BuildInstallerParameters(commandTail, directory);
    ShowDebugInfo("Start the installer with param: '" + parameters + "'");

    // The file whose version was checked is the one started; the command line names it
    // as the uninstall entry does.
    std::int32_t result = -1;
    const bool ran = RunInstaller(programFile, path, parameters, result);
    ShowDebugInfo("(Un-)Installer ready with return-value:" + std::to_string(result));

    // The installer's own exit code is only shown; but an installer that never ran must
    // not look like success to a script that started the launcher.
    return TraceExitCode(ran ? 0 : -1);
}

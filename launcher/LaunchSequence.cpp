// The launch sequence; see LaunchSequence.h.
#include "LaunchSequence.h"

#include "Diagnostics.h"
#include "UninstallerDiscovery.h"
#include "platform/AnsiPath.h"
#include "platform/Environment.h"
#include "platform/FileVersionReader.h"
#include "platform/NetworkPath.h"
#include "platform/ProcessControl.h"
#include "platform/ProcessRunner.h"
#include "platform/SystemError.h"
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
    return Join({commandTail, " /config=\"", directory, "setup.cfg\""});
}

namespace {
// path as an installer started elevated can reach it: on a drive the user mapped to a
// network share, in its network form, since the elevated token has none of the user's
// mappings. Elsewhere, or where the system cannot tell the share, path as it is.
std::string ForElevatedInstaller(const std::string& path, const char* what)
{
    std::string network;
    unsigned long error = 0;
    switch (NetworkFormOf(path, network, error)) {
    case NetworkForm::Found:
        TraceStep(Join({what, " lies on a network drive: the elevated installer is given it as '", network, "'"}));
        return network;
    case NetworkForm::Unavailable:
        TraceStep(Join({what, " '", path, "' lies on a network drive whose share cannot be told (", WindowsError(error),
                        "): the elevated installer may not see it"}));
        return path;
    default:
        return path;
    }
}

// Why the start of file did not end as it should, with the system's error where there is
// one; a shell start's line follows "the installer needs administrator rights: ".
std::string StartFailure(bool shell, RunOutcome outcome, const std::string& file, unsigned long error)
{
    const char* what = "failed";
    std::string codePage;
    switch (outcome) {
    case RunOutcome::NoFile:
        what = "the file is not there any more, though its version was read";
        break;
    case RunOutcome::EndUnknown:
        what = "it ran, but its end or exit code could not be read";
        break;
    case RunOutcome::OutOfMemory:
        what = "not enough memory";
        error = 0;
        break;
    case RunOutcome::NoFullPathName:
        what = "not tried: its full path has no name in code page ";
        codePage = NumberText(ActiveCodePage().id);
        break;
    case RunOutcome::NoShell:
        what = "not tried: the shell's library could not be loaded";
        break;
    default:
        if (shell && error == 1223) { // ERROR_CANCELLED: the one error that is the user's answer
            what = "the user declined consent";
            error = 0;
        }
    }
    return Join({shell ? "the shell start of '" : "the start of '", file, "': ", what, codePage, error != 0 ? " (" : "",
                 error != 0 ? WindowsError(error) : "", error != 0 ? ")" : ""});
}

// Starts the installer and waits for it; true when it ran to its end. An installer that
// needs administrator rights is refused by the plain start when the launcher has none;
// the shell start then asks the user for consent, which only a session someone sees can
// give. A start that fails says why, with the system's error.
bool RunInstaller(const std::string& programFile, const std::string& path, const std::string& commandTail,
                  const std::string& directory, std::int32_t& result)
{
    unsigned long error = 0;
    const RunOutcome outcome =
        RunAndWait(programFile, path, BuildInstallerParameters(commandTail, directory), result, error);
    if (outcome == RunOutcome::Ended) {
        return true;
    }
    if (outcome != RunOutcome::NeedsElevation) {
        TraceStep(StartFailure(false, outcome, programFile, error));
        return false;
    }
    const char* const rights = "the installer needs administrator rights";
    if (!BoxCanBeSeen(ReadSessionFacts())) {
        TraceStep(Join({rights, ", and nobody can consent in this session: not started"}));
        return false;
    }
    // The elevated child starts in the launcher's current folder, not in the system folder:
    // arguments handed on may name files relative to it, as for the plain start.
    std::string currentDirectory;
    if (!GetCurrentDirectoryAnsi(currentDirectory)) {
        TraceStep(Join({rights, ": the shell start was not tried: the current folder has no name in code page ",
                        NumberText(ActiveCodePage().id)}));
        return false;
    }
    const std::string parameters =
        BuildInstallerParameters(commandTail, ForElevatedInstaller(directory, "the launcher's folder"));
    const RunOutcome shell = RunThroughShellAndWait(
        programFile, parameters, ForElevatedInstaller(currentDirectory, "the current folder"), result, error);
    TraceStep(Join({rights, ": ",
                    shell == RunOutcome::Ended ? "started through the shell, which asked for consent"
                                               : StartFailure(true, shell, programFile, error)}));
    return shell == RunOutcome::Ended;
}
} // namespace

void TraceStart(const std::string& commandLine, bool dllSearchRestricted, const std::string& log)
{
    StartFacts facts;
    // Read with the reader that reads the installer's version, so the two cannot disagree.
    std::string modulePath;
    unsigned long error = 0;
    if (GetModulePath(modulePath)) {
        facts.launcherVersion = GetFileVersion64(modulePath, error);
    }
    facts.windows = ReadWindowsVersion();
    facts.windows64Bit = IsWindows64Bit();
    facts.token = ReadTokenFacts();
    facts.session = ReadSessionFacts();
    facts.codePage = ActiveCodePage().id;
    facts.log = log;
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
    ShowDebugInfo(Join({"RARAVIRO.exe or UNxxx.exe path: '", path, "'"}));

    // A folder named wrongly would point the installer at another setup.cfg, or none.
    const std::string directory = GetModuleDirectory();
    if (directory.empty()) {
        ShowFatalError(kFolderNameMessage);
    }
    const std::string parameters = BuildInstallerParameters(commandTail, directory);
    ShowDebugInfo(Join({"Start the installer with param: '", parameters, "'"}));

    // The file whose version was checked is the one started; the command line names it
    // as the uninstall entry does.
    std::int32_t result = -1;
    const bool ran = RunInstaller(programFile, path, commandTail, directory, result);
    ShowDebugInfo("(Un-)Installer ready with return-value:" + NumberText(result));

    // The installer's own exit code is only shown, unless whoever started the launcher asks
    // for it (a deployment tool that must tell a failed install or a restart from success);
    // an installer that never ran must not look like success to a script that started it.
    if (!ran) {
        return TraceExitCode(-1);
    }
    WideText rule;
    const bool passOn = ReadEnvironmentVariable("QUORVANE_EXIT_CODE", rule) && EnvironmentValueIs(rule, "installer");
    return TraceExitCode(passOn ? result : 0, passOn ? " (the installer's: QUORVANE_EXIT_CODE=installer)"
                                                     : " (QUORVANE_EXIT_CODE is not installer)");
}

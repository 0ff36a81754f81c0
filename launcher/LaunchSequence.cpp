// The launch sequence; see LaunchSequence.h.
#include "LaunchSequence.h"

#include "Diagnostics.h"
#include "UninstallerDiscovery.h"
#include "platform/ProcessRunner.h"

std::string CutCommandTail(const std::string& commandLine, const CodePage& codePage)
{
    const auto code = [&](std::size_t pos) {
        return static_cast<unsigned char>(commandLine[pos]);
    };
    std::size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        // A quoted name runs to the next quote, a double-byte character stepped over whole.
        pos = 1;
        while (pos < commandLine.size() && commandLine[pos] != '"') {
            pos += CharLength(commandLine, pos, codePage);
        }
        if (pos < commandLine.size()) {
            ++pos; // the closing quote goes with the name
        }
    } else {
        // Unquoted, to the first blank or control character: no second byte is that low.
        while (pos < commandLine.size() && code(pos) > ' ') {
            ++pos;
        }
    }
    while (pos < commandLine.size() && code(pos) >= 1 && code(pos) <= ' ') {
        ++pos;
    }
    return commandLine.substr(pos);
}

bool GetModulePath(std::string& path, unsigned long& error)
{
    // A setup.cfg "beside" no path would be one in the drive's root.
    const WideText modulePath = GetModulePathWide(error);
    auto fileStart = modulePath.end();
    while (fileStart != modulePath.begin() && fileStart[-1] != L'\\' && fileStart[-1] != L'/') {
        --fileStart;
    }
    // Whoever copied the launcher may have renamed it: only the folder must name setup.cfg.
    std::string file;
    WideToAnsi(modulePath.data() + (fileStart - modulePath.begin()),
               static_cast<std::size_t>(modulePath.end() - fileStart), 0, file);
    if (modulePath.empty() || !AnsiPathName(WideText(modulePath.begin(), fileStart), path)) {
        error = modulePath.empty() ? error : 1113; // ERROR_NO_UNICODE_TRANSLATION
        path.clear();
        return false;
    }
    path += file;
    error = 0;
    return true;
}

std::string ModuleDirectoryFromPath(const std::string& modulePath, const CodePage& codePage)
{
    const std::size_t driveLength = modulePath.size() >= 2 && modulePath[1] == ':' ? 2 : 0;
    // Up to the last separator (never a second byte that looks like one), however long: a
    // shortened one would name the wrong setup.cfg.
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
    unsigned long error = 0;
    return GetModulePath(modulePath, error) ? ModuleDirectoryFromPath(modulePath, ActiveCodePage()) : std::string();
}

namespace {
// The launcher's arguments unchanged, then the switch naming setup.cfg in directory.
std::string BuildInstallerParameters(const std::string& commandTail, const std::string& directory)
{
    return Join({commandTail, " /config=\"", directory, "setup.cfg\""});
}

// path as an elevated installer can reach it: on a mapped drive its network form (the elevated
// token has none of the user's mappings); elsewhere, or where the share is untold, as it is.
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

// Why the start of file did not end as it should, with the system's error where there is one.
std::string StartFailure(bool shell, RunOutcome outcome, const std::string& file, unsigned long error)
{
    const char* what = "failed";
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
    case RunOutcome::NoShell:
        what = "not tried: the shell's library could not be loaded";
        break;
    default:
        if (shell && error == 1223) { // ERROR_CANCELLED: the one error that is the user's answer
            what = "the user declined consent";
            error = 0;
        }
    }
    const std::string why = error != 0 ? Join({" (", WindowsError(error), ")"}) : std::string();
    return Join({shell ? "the shell start of '" : "the start of '", file, "': ", what, why});
}

// Starts the installer and waits for it; true when it ran to its end. Where it needs rights the
// launcher lacks, the shell start asks the user for consent, which only a seen session can give.
bool RunInstaller(const Uninstaller& installer, const std::string& commandTail, const std::string& directory,
                  std::int32_t& result)
{
    unsigned long error = 0;
    const RunOutcome outcome =
        RunAndWait(installer.fullPath, installer.path, BuildInstallerParameters(commandTail, directory), result, error);
    if (outcome == RunOutcome::Ended) {
        return true;
    }
    if (outcome != RunOutcome::NeedsElevation) {
        TraceStep(StartFailure(false, outcome, installer.file, error));
        return false;
    }
    const char* const rights = "the installer needs administrator rights";
    if (!BoxCanBeSeen(ReadSessionFacts())) {
        TraceStep(Join({rights, ", and nobody can consent in this session: not started"}));
        return false;
    }
    // The elevated child starts in the launcher's current folder, as the plain start would:
    // arguments handed on may name files relative to it. A folder without a name in the code
    // page is left to the shell, which takes the current one by the system's own name for it.
    const std::string parameters =
        BuildInstallerParameters(commandTail, ForElevatedInstaller(directory, "the launcher's folder"));
    std::string currentDirectory;
    if (GetCurrentDirectoryAnsi(currentDirectory)) {
        currentDirectory = ForElevatedInstaller(currentDirectory, "the current folder");
    } else {
        TraceStep(Join({"the current folder has no name in code page ", NumberText(ActiveCodePage().id),
                        ": the shell starts the installer in it by the system's own name for it"}));
    }
    const RunOutcome shell = RunThroughShellAndWait(installer.fullPath, parameters, currentDirectory, result, error);
    TraceStep(Join({rights, ": ",
                    shell == RunOutcome::Ended ? "started through the shell, which asked for consent"
                                               : StartFailure(true, shell, installer.file, error)}));
    return shell == RunOutcome::Ended;
}
} // namespace

void TraceStart(const std::string& commandLine, bool dllSearchRestricted, const std::string& log)
{
    // Read with the reader that reads the installer's version, so the two cannot disagree.
    std::string modulePath;
    unsigned long error = 0;
    const FileVersion64 version = GetModulePath(modulePath, error) ? GetFileVersion64(modulePath, error) : 0;
    TraceStep(DescribeStart({version, error, ReadWindowsVersion(), IsWindows64Bit(), ReadTokenFacts(),
                             ReadSessionFacts(), ActiveCodePage().id, log, commandLine}));
    if (!dllSearchRestricted) {
        TraceStep("the DLL search cannot be kept to the system folder on this Windows (Vista, or 7 without "
                  "KB2533623): only the launcher's own DLL loads are; a DLL planted beside it may be loaded by "
                  "the system's libraries");
    }
}

int RunLauncher(const std::string& commandTail)
{
    Uninstaller installer;
    if (!FindUninstaller(installer)) {
        ShowFatalError(kNotFoundMessage);
    }
    ShowDebugInfo(Join({"RARAVIRO.exe or UNxxx.exe path: '", installer.path, "'"}));

    // A folder named wrongly would point the installer at another setup.cfg, or none.
    const std::string directory = GetModuleDirectory();
    if (directory.empty()) {
        ShowFatalError(kFolderNameMessage);
    }
    const std::string parameters = BuildInstallerParameters(commandTail, directory);
    ShowDebugInfo(Join({"Start the installer with param: '", parameters, "'"}));

    // The file whose version was read is the one started; the command line names it as the
    // uninstall entry does.
    std::int32_t result = -1;
    const bool ran = RunInstaller(installer, commandTail, directory, result);
    ShowDebugInfo("(Un-)Installer ready with return-value:" + NumberText(result));

    // The installer's own code only where asked for (a deployment tool that must tell a failed
    // install or a restart from success); one that never ran must not look like success.
    if (!ran) {
        return TraceExitCode(-1);
    }
    WideText rule;
    const bool passOn = ReadEnvironmentVariable("QUORVANE_EXIT_CODE", rule) && EnvironmentValueIs(rule, "installer");
    return TraceExitCode(passOn ? result : 0, passOn ? " (the installer's: QUORVANE_EXIT_CODE=installer)"
                                                     : " (QUORVANE_EXIT_CODE is not installer)");
}

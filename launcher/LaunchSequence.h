// The launcher's job from start to end: find the uninstaller, point it at the setup.cfg
// beside the launcher, run it as installer and wait for it.
#pragma once

#include "platform/AnsiText.h"

#include <string>

// Traces the opening line of the debug output: the launcher's version, the system, its
// rights and session, the code page, the log file (log: as StartLog told it) and the
// command line the process received (as the launcher converted it). Nothing it cannot
// learn stops the launch. A second line follows where the DLL search could not be kept to
// the system folder.
void TraceStart(const std::string& commandLine, bool dllSearchRestricted, const std::string& log);

// The whole run; returns the process exit code: 0 after the installer ran, whatever it
// returned, or its own code where the launcher's environment holds QUORVANE_EXIT_CODE=
// installer (in any letter case); -1 when it could not be started. When no usable
// uninstaller exists, or the launcher's folder cannot be named in the ANSI code page, it
// shows an error box (where one can be seen) and ends the process with -1 instead of
// returning. Each step goes to the debug output.
int RunLauncher(const std::string& commandTail);

// The launcher's own directory, ending in a backslash; a single backslash when the
// module path has neither drive nor directory. Empty when the folder cannot be named in
// the ANSI code page.
std::string GetModuleDirectory();

// The directory part of a module path, as GetModuleDirectory gives it.
std::string ModuleDirectoryFromPath(const std::string& modulePath, const CodePage& codePage);

// The installer's parameters: the launcher's arguments unchanged, then the config switch
// naming setup.cfg in directory.
std::string BuildInstallerParameters(const std::string& commandTail, const std::string& directory);

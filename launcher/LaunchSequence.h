// The launcher's job from start to end: cut its own arguments from the command line, find the
// uninstaller, point it at the setup.cfg beside the launcher, run it as installer and wait.
#pragma once

#include "platform/Text.h"

// The command line less the program name and the control characters and blanks after it; trailing
// blanks stay. (The runtime's lpCmdLine differs, after a quoted name followed by a switch.)
std::string CutCommandTail(const std::string& commandLine, const CodePage& codePage);

// The executable's path: its folder as AnsiPathName names it, its file name with '?' for what the
// code page lacks. False with why (1113: the folder has no name).
bool GetModulePath(std::string& path, unsigned long& error);

// The directory part of a module path, ending in a backslash; a single backslash when the path
// has neither drive nor directory.
std::string ModuleDirectoryFromPath(const std::string& modulePath, const CodePage& codePage);

// The launcher's own directory as ModuleDirectoryFromPath gives it; empty when it has no name.
std::string GetModuleDirectory();

// Traces the opening line (DescribeStart) and, where the DLL search could not be kept to the
// system folder, a second line.
void TraceStart(const std::string& commandLine, bool dllSearchRestricted, const std::string& log);

// The whole run; returns the exit code: 0 after the installer ran, or its own code where
// QUORVANE_EXIT_CODE=installer (any letter case); -1 where it could not be started. Without a
// usable uninstaller, or a name for its folder, it shows an error box and ends the process (-1).
int RunLauncher(const std::string& commandTail);

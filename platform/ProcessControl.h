// The running launcher's own process: its command line, its id, where its executable lies,
// which system error boxes it lets appear, and how it ends.
#pragma once

#include <string>

// The process command line in the ANSI code page, converted from the wide one without
// best fit: a character the code page lacks becomes '?', so a name that Windows would
// otherwise turn into a quote, a blank or a slash cannot cut the line differently.
std::string GetAnsiCommandLine();

unsigned long ReadProcessId();

// Full path of the running executable in the ANSI code page, whatever its length. Where
// the code page cannot hold its folder's name, the folder's short (8.3) form is taken;
// false when that cannot be held either. Characters of the file name itself that the code
// page lacks become '?'. False too when the system cannot give it.
bool GetModulePath(std::string& path);

// From here on the system shows no box of its own for a critical error ("There is no disk
// in the drive") or a file it cannot open, which would stop a silent run until someone
// clicks: a stale entry may name a drive without its medium. Called first thing at
// start-up; the installer is started with the system's default error mode again.
void KeepSystemErrorBoxesAway();

// Ends the process through the runtime's normal exit (exit handlers run, buffers are
// flushed) with the given exit code.
[[noreturn]] void EndProcess(int exitCode);

// Ends the process with the given exit code at once, without exit handlers or DLL
// notifications: for a runtime that may no longer be trusted.
[[noreturn]] void EndProcessAtOnce(int exitCode);

// The runtime's abort shows no message box from here on, and calls onAbort instead of
// ending the process. (In a GUI program it would first show a modal box, which in a
// session nobody sees waits for ever.)
void HandleRuntimeAbort(void (*onAbort)(int));

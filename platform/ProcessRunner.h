// Starting the installer and waiting for it to end, plainly or through the shell; and what
// each start tells when it fails.
#pragma once

#include <cstdint>
#include <string>

enum class RunOutcome {
    Ended, // the child ran to its end; its exit code was read
    NoFile, // the file to start is not there (any more); error is the system's answer for it
    NotStarted, // the system did not start it; error says why (ERROR_CANCELLED: consent declined)
    NeedsElevation, // refused for want of administrator rights the launcher lacks (plain start only)
    EndUnknown, // it started, but its end or exit code could not be read; error says why
    OutOfMemory, // not enough memory to start it
    NoFullPathName, // shell start only: the file's full path has no name in the ANSI code page
    NoShell, // shell start only: the shell's library could not be loaded; error says why
};

// Starts name with the command line argument0 + " " + argument1 (argument0 alone when
// argument1 is empty; nothing quoted), in the launcher's environment and current
// directory, with inheritable handles passed on and the system's default error mode, and
// waits without time-out until it ends. A bare file name is looked for in the current
// directory only, and a name without extension is tried with .com, .exe, .bat and .cmd in
// that order. exitCode is the child's exit code read as a signed number, or -1 unless it
// Ended, so a child that ended with -1 is told apart from one that never ran. error is the
// system's error of the call that failed, read right after it.
RunOutcome RunAndWait(const std::string& name, const std::string& argument0, const std::string& argument1,
                      std::int32_t& exitCode, unsigned long& error);

// Starts the file RunAndWait would start for name through the shell (its default verb, so
// that Windows asks for consent when the program needs administrator rights), with
// parameters, in directory, and waits for it without time-out. The shell gets the file by
// its full path, which it puts in quotes on the child's command line; the child inherits
// no handles and gets the system's default error mode. exitCode and error as RunAndWait
// gives them.
RunOutcome RunThroughShellAndWait(const std::string& name, const std::string& parameters, const std::string& directory,
                                  std::int32_t& exitCode, unsigned long& error);

// The file RunAndWait would start for name; empty when there is none, error then telling
// why the last file looked for could not be found.
std::string FindProgramFile(const std::string& name, unsigned long& error);

// The pure half of the runner, also built natively.

// Where the file to start for name is looked for: name itself, or ".\" + name for a bare
// file name (the current directory, never the search path); with .com, .exe, .bat and .cmd
// appended in that order when name has no extension.
struct ProgramFileRule {
    std::string file;
    bool triesExtensions = false;
};
ProgramFileRule ProgramFileFor(const std::string& name);

// The file to start for name: the rule's file, or its first candidate for which look()
// answers 0; look answers the system's error for a file that cannot be found. Empty, with
// the last answer as error, when the file (or every candidate) is missing.
std::string ChooseProgramFile(const std::string& name, unsigned long (*look)(const std::string& file),
                              unsigned long& error);

// argument0, then one blank and argument1 unless argument1 is empty.
std::string BuildChildCommandLine(const std::string& argument0, const std::string& argument1);

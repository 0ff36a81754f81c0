// Starting the installer and waiting for it to end.
#pragma once

#include <cstdint>
#include <string>

enum class RunOutcome {
    Ended, // the child ran to its end; its exit code was read
    NotStarted, // no file, no process, or its end or exit code could not be had
    NeedsElevation, // the program asks for administrator rights the launcher lacks
};

// Starts name with the command line argument0 + " " + argument1 (argument0 alone when
// argument1 is empty; nothing quoted), in the launcher's environment and current
// directory, with inheritable handles passed on, and waits without time-out until it
// ends. A bare file name is looked for in the current directory only, and a name without
// extension is tried with .com, .exe, .bat and .cmd in that order.
// exitCode is the child's exit code read as a signed number, or -1 unless it Ended. A
// child that ended with -1 is thus told apart from one that never ran, and one refused
// for want of administrator rights (ERROR_ELEVATION_REQUIRED) from every other failure.
RunOutcome RunAndWait(const std::string& name, const std::string& argument0, const std::string& argument1,
                      std::int32_t& exitCode);

// Starts the file RunAndWait would start for name through the shell (its default verb, so
// that Windows asks for consent when the program needs administrator rights), with
// parameters, in directory, and waits for it without time-out. The shell gets the file by
// its full path, which it puts in quotes on the child's command line, and the child
// inherits no handles. False (exitCode -1) when it was not started, consent declined
// included, or when the file has no name in the ANSI code page.
bool RunThroughShellAndWait(const std::string& name, const std::string& parameters, const std::string& directory,
                            std::int32_t& exitCode);

// The file RunAndWait would start for name; empty when there is none.
std::string FindProgramFile(const std::string& name);

// The pure half of the runner, also built natively.

// Where the file to start for name is looked for: name itself, or ".\" + name for a bare
// file name (the current directory, never the search path); with .com, .exe, .bat and .cmd
// appended in that order when name has no extension.
struct ProgramFileRule {
    std::string file;
    bool triesExtensions = false;
};
ProgramFileRule ProgramFileFor(const std::string& name);

// The file to start for name: the rule's file, or its first candidate for which exists()
// holds. Empty when the file (or every candidate) is missing.
std::string ChooseProgramFile(const std::string& name, bool (*exists)(const std::string& file));

// argument0, then one blank and argument1 unless argument1 is empty.
std::string BuildChildCommandLine(const std::string& argument0, const std::string& argument1);

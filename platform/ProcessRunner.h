// Starting the installer and waiting for its end, plainly or through the shell (which asks for
// consent where it needs administrator rights); which file a start takes for a name; a path as
// an elevated installer can reach it. ProcessRunner.cpp needs no Windows.
#pragma once

#include <cstdint>
#include <string>

enum class RunOutcome {
    Ended, // the child ran to its end; its exit code was read
    NoFile, // the file is not there (any more); error is the system's answer for it
    NotStarted, // the system did not start it; error says why (ERROR_CANCELLED: consent declined)
    NeedsElevation, // refused for want of administrator rights the launcher lacks (plain start only)
    EndUnknown, // it started, but its end or exit code could not be read; error says why
    OutOfMemory, // not enough memory to start it
    NoShell, // shell start only: the shell's library or function could not be had; error says why
};

// Where the file to start for name is looked for: name, or ".\" + name for a bare file name (the
// current folder, never the search path); with .com, .exe, .bat and .cmd in that order where
// name has no extension.
struct ProgramFileRule {
    std::string file;
    bool triesExtensions = false;
};
ProgramFileRule ProgramFileFor(const std::string& name);

// The rule's file or first candidate for which look() answers 0; else empty, with its last answer.
std::string ChooseProgramFile(const std::string& name, unsigned long (*look)(const std::string& file),
                              unsigned long& error);

// argument0, then one blank and argument1 unless argument1 is empty.
std::string BuildChildCommandLine(const std::string& argument0, const std::string& argument1);

// The system's side. ChooseProgramFile against the files there are.
std::string FindProgramFile(const std::string& name, unsigned long& error);

// Starts fullPath with the command line BuildChildCommandLine(argument0, argument1) in the
// launcher's environment and current folder, handing on inheritable handles, and waits for its
// end. exitCode is its exit code as a signed number, -1 unless it Ended; error the system's.
RunOutcome RunAndWait(const std::string& fullPath, const std::string& argument0, const std::string& argument1,
                      std::int32_t& exitCode, unsigned long& error);

// Starts fullPath through the shell's default verb with parameters, in directory ("": the current
// folder, by the system's own name for it), and waits for its end. The shell quotes the path on
// the child's command line; the child inherits no handles and gets the default error mode.
RunOutcome RunThroughShellAndWait(const std::string& fullPath, const std::string& parameters,
                                  const std::string& directory, std::int32_t& exitCode, unsigned long& error);

// An installer the shell starts elevated has a token without the user's drive mappings:
// Z:\Kit\setup.cfg names nothing there.
enum class NetworkForm {
    NotNetwork, // no drive letter, or a local drive (a subst drive takes its target's kind)
    Found, // network holds the path's network form (\\server\share\...)
    Unavailable, // a network drive whose share the system cannot tell; error says why
};
NetworkForm NetworkFormOf(const std::string& path, std::string& network, unsigned long& error);

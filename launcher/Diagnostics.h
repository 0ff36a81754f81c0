// How the launcher reports: error boxes; information boxes while Ctrl is held, so that whoever
// debugs a launch can follow each step; no box where nobody could see it. Every text a box shows
// or would show goes to the debug output and to the run's log, with the exit code. The log is for
// the runs nobody watches (a deployment agent's silent start as SYSTEM): the debug output's lines
// after the local time, in UTF-8 with a byte-order mark; nothing about it changes the launch.
#pragma once

#include "platform/FileVersionReader.h"
#include "platform/System.h"
#include "platform/Text.h"

// Shown when no product has a usable uninstaller.
extern const char* const kNotFoundMessage;
// Shown when the launcher's folder has no name in the code page: no setup.cfg could be named.
extern const char* const kFolderNameMessage;

// Whether anyone can see a box: not in a window station nobody sees, nor in session 0.
bool BoxCanBeSeen(const SessionFacts& session);

// Writes "Quorvane: " and text as one line of debug output and of the log, its line breaks
// turned into blanks. Where the log stops taking lines, the debug output says why.
void TraceStep(const std::string& text);

// Traces text and shows it in the error box where one can be seen, then traces the exit code
// and ends the process with -1.
[[noreturn]] void ShowFatalError(const std::string& text);

// Traces a fault of the launcher itself and the exit code; ends the process with -1 at once.
[[noreturn]] void EndAfterRuntimeError(const char* what);

// From here on the runtime's abort (a box that waits for ever where nobody sees it) ends the
// process through EndAfterRuntimeError. Called first thing.
void ReportRuntimeFailuresWithoutABox();

// Traces text, and shows it in an information box if Ctrl is down and a box can be seen.
void ShowDebugInfo(const std::string& text);

// What the opening line tells: the questions support asks first.
struct StartFacts {
    FileVersion64 launcherVersion = 0; // from the launcher's own file; 0 when unreadable
    unsigned long launcherVersionError = 0; // why it is unreadable
    WindowsVersion windows;
    Answer windows64Bit = Answer::Unknown;
    TokenFacts token;
    SessionFacts session;
    unsigned codePage = 0;
    std::string log; // the log file's path, or why there is none
    std::string commandLine; // as converted, before its tail was cut
};

// "version 1.0.0.9; Windows 6.1.7601; 64-bit: yes; rights: standard user; session: 1; box can
// be seen: yes; code page: 1252; log: C:\...; command line: ...", "?" for what the system did
// not tell (for the version followed by why).
std::string DescribeStart(const StartFacts& facts);

// A version as a.b.c.d.
std::string VersionText(FileVersion64 version);

// Traces the exit code, then rule (" (why)", or nothing), and returns it.
int TraceExitCode(int exitCode, const char* rule = "");

// Creates the run's log in the folder QUORVANE_LOG names ("off": none), else the temporary one,
// as a new Quorvane-<date>-<time>-<process id>.log (-2, -3, ... before ".log" where taken).
// Returns what the opening line tells: its path, or why there is none.
std::string StartLog();

// Writes one line of debug output to the log, if any. False for the first line that cannot be
// written, which ends the log: failure then says why.
bool WriteToLog(const std::string& debugLine, std::string& failure);

// How the launcher reports: error boxes, and information boxes shown only while Ctrl is
// held so that whoever debugs a launch can follow each step. Where nobody could see a box
// and close it, none is shown. Every text a box shows or would show also goes to the
// debug output and the run's log file, with the launcher's exit code, so that support can
// follow a run without Ctrl and where no box can be seen.
#pragma once

#include "platform/FileVersionReader.h"
#include "platform/SystemFacts.h"
#include "platform/UserInterface.h"

#include <string>

// Shown when no product has a usable uninstaller.
extern const char* const kNotFoundMessage;
// Shown when the launcher's folder cannot be named in the ANSI code page, so the
// installer could not be pointed at its setup.cfg.
extern const char* const kFolderNameMessage;

// Whether anyone can see a box: not in a window station nobody sees, nor in session 0,
// where only services run.
bool BoxCanBeSeen(const SessionFacts& session);

// Writes "Quorvane: " and text as one line of debug output and of the log file, its line
// breaks turned into blanks. Where the log stops taking lines, the debug output says why.
void TraceStep(const std::string& text);

// Traces text and shows it in the error box where one can be seen, then traces the exit
// code and ends the process with -1.
[[noreturn]] void ShowFatalError(const std::string& text);

// Traces a runtime error (a fault of the launcher itself) and the exit code, and ends the
// process with -1 at once: no box, no exit handlers, in any session.
[[noreturn]] void EndAfterRuntimeError(const char* what);

// From here on, the C++ runtime's own way of giving up (abort, which shows a modal box in
// a program like this one, a box that waits for ever where nobody sees it) ends the
// process through EndAfterRuntimeError instead. Called first thing at start-up.
void ReportRuntimeFailuresWithoutABox();

// Traces text, and shows it in an information box if Ctrl is down right now (bit 7 of its
// key state) and a box can be seen.
void ShowDebugInfo(const std::string& text);

// What the first line of the debug output tells, before anything else: the questions
// support asks first about a launch that went wrong.
struct StartFacts {
    FileVersion64 launcherVersion = 0; // from the launcher's own file; 0 when unreadable
    WindowsVersion windows;
    Answer windows64Bit = Answer::Unknown;
    TokenFacts token;
    SessionFacts session;
    unsigned codePage = 0;
    std::string log; // the log file's path, or why there is none
    std::string commandLine; // as the launcher converted it, before it cut its tail
};

// The opening line's text: "version 1.0.0.9; Windows 6.1.7601; 64-bit: yes; rights:
// standard user; session: 1; box can be seen: yes; code page: 1252; log: C:\...; command
// line: ..." with "?" for whatever the system did not tell. The command line comes last,
// as received.
std::string DescribeStart(const StartFacts& facts);

// A version as a.b.c.d.
std::string VersionText(FileVersion64 version);

// Traces the exit code the launcher ends with, then rule (" (why)", or nothing), and returns
// it.
int TraceExitCode(int exitCode, const char* rule = "");

// The system and the launcher's own process: the facts support asks first (Windows, 64-bit, the
// token's rights, the session; each may be unknown and none changes the launch), the clock and
// process id, the command line, the Ctrl key, boxes, debug output, and the process's end.
#pragma once

#include <string>

enum class Answer { Unknown, No, Yes };

// As the system reports it to this program, whose manifest declares every Windows up to 11.
struct WindowsVersion {
    bool known = false;
    unsigned long major = 0, minor = 0, build = 0;
};
WindowsVersion ReadWindowsVersion();

// Whether Windows itself is 64-bit (which decides the registry view), whatever the launcher is.
Answer IsWindows64Bit();

// The token under User Account Control: only the elevation type tells an administrator without
// elevation (the split token's filtered half) from a standard user.
struct TokenFacts {
    bool opened = false; // the token could be opened and answered both questions
    int elevationType = 0; // TokenElevationType: 1 default (no split token), 2 full, 3 limited
    bool elevated = false; // TokenIsElevated
};
TokenFacts ReadTokenFacts();

// Whether anyone can see a box: services, tasks and deployment agents start it where nobody can.
struct SessionFacts {
    bool stationVisible = true; // the window station is visible (WSF_VISIBLE); true when untold
    long long sessionId = -1; // 0: the services' session, where nobody logs on; -1: untold
};
SessionFacts ReadSessionFacts();

// The local date and time, to the millisecond, and the process id: the log's name and lines.
struct LocalTime {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};
LocalTime ReadLocalTime();
unsigned long ReadProcessId();

// The command line in the code page without best fit: no name becomes a quote, blank or slash.
std::string GetAnsiCommandLine();

short ReadControlKeyState();

// Message box styles, with the values of MB_ICONERROR and MB_OK.
constexpr unsigned kErrorBoxStyle = 0x10;
constexpr unsigned kInfoBoxStyle = 0x0;
void ShowMessageBox(const std::string& text, const std::string& title, unsigned style);

// One piece of debug output, for a debugger or viewer; lost where none watches.
void WriteDebugOutput(const char* text);

// From here on no box of the system's for a critical error ("There is no disk in the drive"),
// which would stop a silent run until someone clicks. The installer gets the default mode again.
void KeepSystemErrorBoxesAway();

// Ends the process through the runtime's normal exit (exit handlers run, buffers are flushed).
[[noreturn]] void EndProcess(int exitCode);
// Ends the process at once, without exit handlers: for a runtime that may no longer be trusted.
[[noreturn]] void EndProcessAtOnce(int exitCode);
// The runtime's abort calls onAbort from here on, instead of showing its box.
void HandleRuntimeAbort(void (*onAbort)(int));

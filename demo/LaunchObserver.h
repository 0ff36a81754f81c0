// Starting a program with an exact wide command line, in a given folder and on a given
// desktop, and watching it as a user and as support would: every message box it shows is
// read (title, text, icon) and closed with OK, its debug output is read as a debug-output
// viewer reads it, and its full exit code taken. The end-to-end tests and the
// demonstration's driver use it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ObservedBox {
    std::string title;
    std::string text;
    bool hasIcon = false;
};

struct LaunchOptions {
    std::wstring program; // the file to start
    std::wstring commandLine; // character for character what the program gets
    std::wstring currentDirectory; // empty: the observer's own
    std::wstring desktop; // "station\\desktop" to start on; empty: the observer's own
    DWORD timeoutMs = 180000; // the program is ended after this: a hang, even where starts are emulated
    HANDLE token = nullptr; // a primary token to start the program with; null: the observer's own
    std::function<void(DWORD processId)> beforeStart; // called while the started program is still suspended
    std::function<void()> whileRunning; // called every 20 ms or so while the program runs
    std::function<void(HWND)> onBox; // called with each box before it is closed
};

struct LaunchResult {
    bool started = false;
    bool timedOut = false;
    std::uint32_t exitCode = 0;
    std::vector<ObservedBox> boxes;
    std::vector<std::string> debugOutput; // the program's own, one piece each, a closing line feed dropped
};

LaunchResult ObserveLaunch(const LaunchOptions& options);

// A primary token of the unelevated half of the caller's own administrator's token, for
// LaunchOptions::token; null (GetLastError tells why) where the system hands none to a
// program: Windows does so only to one that acts as part of the system.
HANDLE UnelevatedToken();

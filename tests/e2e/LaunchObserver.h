// Starting a program with an exact command line and watching it as a user would: every
// message box it shows (title, text, icon), closed with OK, and its full exit code.
// Used by the end-to-end tests and by the demonstration's driver.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct ObservedBox {
    std::string title;
    std::string text;
    bool hasIcon = false;
};

// Wide, so that a test can start a program with characters the ANSI code page lacks.
struct LaunchOptions {
    std::wstring program; // the file to start
    std::wstring commandLine; // character for character what the program gets
    std::wstring currentDirectory; // empty: the observer's own
    std::wstring desktop; // "station\\desktop" to start on; empty: the observer's own
    std::string screenshotBmp; // where to save a picture of the first box; empty: none
    DWORD timeoutMs = 60000; // the program is ended after this
};

struct LaunchResult {
    bool started = false;
    bool timedOut = false;
    std::uint32_t exitCode = 0;
    std::vector<ObservedBox> boxes;
};

LaunchResult ObserveLaunch(const LaunchOptions& options);

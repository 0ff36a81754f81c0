// Small helpers for the tests that run against the real Win32 layer under Wine.
#pragma once

#include <windows.h>

#include <string>

// The folder of the running test program, where the build puts the test uninstallers and
// the shipped launcher; ends in a backslash.
std::string TestProgramDirectory();

// A new empty folder under the temporary folder, removed with everything in it when the
// object goes away.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::string& path() const { return path_; } // ends in a backslash

private:
    std::string path_;
};

// text converted from the ANSI code page, for the wide calls that take longer paths.
std::wstring Wide(const std::string& text);

// How many handles the process has open.
DWORD OpenHandles();

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);
// The value of a "name=value" line of a report, or "<missing>".
std::string ReportField(const std::string& report, const std::string& name);

// The launcher's own command line, module path and process exit; see ProcessControl.h.
//
// Both texts are read in their wide form and converted without best fit: the ANSI calls
// would hand out look-alikes for characters the code page lacks (a full-width quote as a
// quote, Ł as L), and on a double-byte code page GetModuleFileNameA cuts a long path short
// without saying so.
#include "ProcessControl.h"

#include "AnsiPath.h"
#include "SystemCodePage.h"

#include <windows.h>

#include <cstdlib>
#include <cwchar>

namespace {
WideText WideModulePath()
{
    // A long path is cut to the buffer and reported only through the length returned, so
    // the buffer grows until the whole path fits.
    WideText buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return WideText();
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= 0x10000) {
            return WideText(); // longer than any path the system can hand out
        }
        buffer.resize(buffer.size() * 2);
    }
}
} // namespace

std::string GetAnsiCommandLine()
{
    const wchar_t* line = GetCommandLineW();
    std::string ansi;
    WideToAnsi(line, std::wcslen(line), ActiveCodePage().id, ansi);
    return ansi;
}

bool GetModulePath(std::string& path)
{
    return AnsiModulePath(WideModulePath(), path);
}

void EndProcess(int exitCode)
{
    std::exit(exitCode);
}

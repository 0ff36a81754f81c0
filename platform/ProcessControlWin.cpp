// The launcher's own command line, module path and process exit; see ProcessControl.h.
//
// Both texts are read in their wide form and converted without best fit: the ANSI calls
// would hand out look-alikes for characters the code page lacks (a full-width quote as a
// quote, Ł as L), and on a double-byte code page GetModuleFileNameA cuts a long path short
// without saying so.
#include "ProcessControl.h"

#include "SystemCodePage.h"

#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {
// Wide text in a vector rather than std::wstring: the wide string would link in the
// runtime's whole wide string instantiation, a fifth of the launcher's size.
using WideText = std::vector<wchar_t>;

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

// The 8.3 form of an existing folder, or empty.
WideText ShortPath(WideText path)
{
    path.push_back(L'\0');
    const DWORD size = GetShortPathNameW(path.data(), nullptr, 0);
    if (size == 0) {
        return WideText();
    }
    WideText shortPath(size);
    const DWORD length = GetShortPathNameW(path.data(), shortPath.data(), size);
    if (length == 0 || length >= size) {
        return WideText();
    }
    shortPath.resize(length);
    return shortPath;
}

bool ToAnsi(const WideText& wide, std::string& ansi)
{
    return WideToAnsi(wide.data(), wide.size(), ActiveCodePage().id, ansi);
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
    path.clear();
    const WideText wide = WideModulePath();
    auto fileStart = wide.end();
    while (fileStart != wide.begin() && fileStart[-1] != L'\\' && fileStart[-1] != L'/') {
        --fileStart;
    }
    const WideText folder(wide.begin(), fileStart);
    // Only the folder names setup.cfg; the launcher's own file name may have been changed.
    std::string file;
    ToAnsi(WideText(fileStart, wide.end()), file);
    std::string ansiFolder;
    if (!ToAnsi(folder, ansiFolder)) {
        const WideText shortFolder = ShortPath(folder);
        if (shortFolder.empty() || !ToAnsi(shortFolder, ansiFolder)) {
            return false;
        }
    }
    path = ansiFolder + file;
    return true;
}

void EndProcess(int exitCode)
{
    std::exit(exitCode);
}

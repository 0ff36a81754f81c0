// The launcher's own command line, module path and process exit; see ProcessControl.h.
//
// Both texts are read in their wide form and converted without best fit: the ANSI calls
// would hand out look-alikes for characters the code page lacks (a full-width quote as a
// quote, Ł as L), and on a double-byte code page GetModuleFileNameA cuts a long path short
// without saying so.
#include "ProcessControl.h"

#include "AnsiPath.h"
#include "AnsiText.h"

#include <windows.h>

#include <csignal>
#include <cstdlib>
#include <cwchar>

std::string GetAnsiCommandLine()
{
    const wchar_t* line = GetCommandLineW();
    std::string ansi;
    WideToAnsi(line, std::wcslen(line), ActiveCodePage().id, ansi);
    return ansi;
}

unsigned long ReadProcessId()
{
    return GetCurrentProcessId();
}

bool GetModulePath(std::string& path)
{
    return AnsiModulePath(GetModulePathWide(), path);
}

void KeepSystemErrorBoxesAway()
{
    // Added to what the launcher inherited.
    const UINT flags = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    SetErrorMode(SetErrorMode(flags) | flags);
}

void EndProcess(int exitCode)
{
    std::exit(exitCode);
}

void EndProcessAtOnce(int exitCode)
{
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    // Not reached; should the system refuse, the runtime's quickest end without a word.
    std::_Exit(exitCode);
}

void HandleRuntimeAbort(void (*onAbort)(int))
{
    // Its message goes where a GUI program has none, instead of into a box.
    _set_error_mode(_OUT_TO_STDERR);
    std::signal(SIGABRT, onAbort);
}

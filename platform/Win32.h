// What the Windows halves share (SystemWin.cpp): one owner per kind of handle, and the one way to
// call a function of a system library, loaded from the system folder only (never the launcher's
// or the current one, where a planted copy of a DLL that is not a known DLL would win).
#pragma once

#include <windows.h>

#include <memory>

// Closes a handle once, on every path out of its owner's scope.
template <typename Handle, auto Close>
struct HandleCloser {
    void operator()(Handle handle) const { Close(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser<HANDLE, &CloseHandle>>;

// Keeps every later DLL load, also those of the system's libraries, to the system folder. False
// where the system lacks SetDefaultDllDirectories (Vista, 7 without KB2533623): there only the
// loads through SystemFunction are.
bool RestrictDllSearchToSystemFolder();

// function of library, loaded from the system folder the first time and kept for the run (user32
// must stay once the thread has shown windows; the shell may leave threads behind). Null, with
// the Windows error of the load or the look-up that failed, read where it failed.
FARPROC FindSystemFunction(const char* library, const char* function, unsigned long& error);

template <typename Function>
Function SystemFunction(const char* library, const char* function, unsigned long& error)
{
    // Through the generic function pointer type, which converts to any other without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(FindSystemFunction(library, function, error)));
}

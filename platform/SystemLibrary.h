// Loading system DLLs from the system folder only, never from the launcher's own folder
// or the current one, where a planted copy of a DLL that is not one of the system's known
// DLLs would otherwise win.
#pragma once

#include "WinHandles.h"

// Restricts the search of every later DLL load, the launcher's own and those the system
// libraries make while drawing a box or starting a program, to the system folder, and
// takes the current folder out of the search. Called first thing at start-up. False where
// the system lacks SetDefaultDllDirectories (Vista, Windows 7 without KB2533623): there
// only the loads made through LoadSystemLibrary are kept to the system folder.
bool RestrictDllSearchToSystemFolder();

// Loads a library, and the DLLs it depends on, from the system folder. Null, with the
// system's error, when it cannot.
HMODULE LoadSystemLibrary(const char* name, unsigned long& error);

inline HMODULE LoadSystemLibrary(const char* name)
{
    unsigned long ignored = 0;
    return LoadSystemLibrary(name, ignored);
}

// A function of a loaded library, or null (also when the library is null, which
// GetProcAddress would take for the program itself).
template <typename Function>
Function FindFunction(HMODULE library, const char* name)
{
    if (library == nullptr) {
        return nullptr;
    }
    // Through the generic function pointer type, which converts to any other without a
    // cast-function-type warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

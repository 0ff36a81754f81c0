// Loading a system DLL from the system folder only, never from the launcher's own folder
// (where a planted copy of a DLL that is not one of the system's known DLLs would
// otherwise win), together with the DLLs it depends on.
#pragma once

#include "WinHandles.h"

// Null when the library cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

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

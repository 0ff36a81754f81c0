// Loading system DLLs from the system folder; see SystemLibrary.h.
#include "SystemLibrary.h"

#include "AnsiPath.h"

#include <cstring>

bool RestrictDllSearchToSystemFolder()
{
    SetDllDirectoryA("");
    // Looked up, not imported: the launcher must still start where kernel32 lacks it.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories =
        FindFunction<SetDefaultDllDirectoriesFunction>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    return setDefaultDllDirectories != nullptr && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name)
{
    HMODULE library = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
        // A system without the search flags: name the system folder's copy in full; the
        // altered search path then looks for its dependencies beside it first.
        wchar_t systemDirectory[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(systemDirectory, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return nullptr;
        }
        WideText path(systemDirectory, systemDirectory + length);
        path.push_back(L'\\');
        path.insert(path.end(), name, name + std::strlen(name) + 1); // ASCII, with its zero
        library = LoadLibraryExW(path.data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return library;
}

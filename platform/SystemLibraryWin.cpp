// Loading system DLLs from the system folder; see SystemLibrary.h.
#include "SystemLibrary.h"

#include "TextConversion.h"

bool RestrictDllSearchToSystemFolder()
{
    SetDllDirectoryA("");
    // Looked up, not imported: the launcher must still start where kernel32 lacks it.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories =
        FindFunction<SetDefaultDllDirectoriesFunction>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    return setDefaultDllDirectories != nullptr && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name, unsigned long& error)
{
    HMODULE library = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    error = library == nullptr ? GetLastError() : ERROR_SUCCESS;
    if (library == nullptr && error == ERROR_INVALID_PARAMETER) {
        // A system without the search flags: name the system folder's copy in full; the
        // altered search path then looks for its dependencies beside it first.
        wchar_t systemDirectory[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(systemDirectory, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            error = length == 0 ? GetLastError() : ERROR_BUFFER_OVERFLOW;
            return nullptr;
        }
        WideText path(systemDirectory, systemDirectory + length);
        path.push_back(L'\\');
        const WideText file = WidenAscii(name);
        path.insert(path.end(), file.begin(), file.end());
        path.push_back(L'\0');
        library = LoadLibraryExW(path.data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        error = library == nullptr ? GetLastError() : ERROR_SUCCESS;
    }
    return library;
}

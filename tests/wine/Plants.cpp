// A DLL: loaded, a plant marks its name in QUORVANE_PLANT_MARKERS (with its version, an installer that cannot start).
// A program: loads each DLL beside it (--system-folder-only: as the launcher searches), exits with how many failed.
#include <windows.h>

#include <cstring>
#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    char markers[MAX_PATH] = {}, path[MAX_PATH] = {};
    if (reason == DLL_PROCESS_ATTACH && GetEnvironmentVariableA("QUORVANE_PLANT_MARKERS", markers, MAX_PATH) != 0 &&
        GetModuleFileNameA(instance, path, MAX_PATH) != 0) {
        const std::string name = path;
        CloseHandle(CreateFileA((markers + name.substr(name.rfind('\\') + 1)).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, 0, nullptr));
    }
    return TRUE;
}

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--system-folder-only") == 0) {
        SetDllDirectoryA("");
        SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    char path[MAX_PATH] = {};
    const std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder.substr(0, folder.rfind('\\') + 1) + "*.dll").c_str(), &found);
    int failed = search == INVALID_HANDLE_VALUE ? 1000 : 0;
    for (BOOL more = failed == 0; more; more = FindNextFileA(search, &found)) {
        failed += LoadLibraryA(found.cFileName) == nullptr ? 1 : 0;
    }
    return failed;
}

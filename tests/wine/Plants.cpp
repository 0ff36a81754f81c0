// Built twice. As a DLL, what an attacker would plant beside the launcher under the name of
// a DLL that Windows or its libraries load: loading it leaves a marker file of its own name
// in the folder QUORVANE_PLANT_MARKERS names. It carries a usable uninstaller version, so it
// also serves as an installer that passes the version gate but cannot be started. As a
// program, the plants' control: it loads every DLL beside it by its bare name, as an import
// or a system library's own load would find it, and exits with the number that did not load.
// With --system-folder-only it first keeps its DLL search to the system folder, as the
// launcher does: then only a manifest file beside it can still lead a load to a plant.
#include <windows.h>

#include <cstring>
#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    char markers[MAX_PATH] = {};
    char path[MAX_PATH] = {};
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

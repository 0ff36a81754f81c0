// A DLL as an attacker would plant it beside the launcher, under the name of a DLL that
// Windows or its libraries load: loading it leaves a marker file of its own name in the
// folder named by QUORVANE_PLANT_MARKERS, so a test sees which plants ran.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    char markers[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    if (reason == DLL_PROCESS_ATTACH && GetEnvironmentVariableA("QUORVANE_PLANT_MARKERS", markers, MAX_PATH) != 0 &&
        GetModuleFileNameA(instance, path, MAX_PATH) != 0) {
        const std::string name = path;
        const std::string marker = markers + name.substr(name.find_last_of('\\') + 1);
        HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
    }
    return TRUE;
}

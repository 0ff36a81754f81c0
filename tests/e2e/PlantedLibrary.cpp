// A version.dll as an attacker would plant it beside the launcher: loading it leaves a
// marker file (named by QUORVANE_PLANT_MARKER), so a test sees whether it ran.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    char marker[MAX_PATH * 4] = {};
    if (reason == DLL_PROCESS_ATTACH && GetEnvironmentVariableA("QUORVANE_PLANT_MARKER", marker, sizeof marker) != 0) {
        HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
    }
    return TRUE;
}

// A library carrying a usable uninstaller version: passes the launcher's version gate but
// cannot be started as a program.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

// The least possible launcher, the yardstick for the real one's cost: the same platform
// services once each (Ctrl key, one uninstall entry, one file version, one child started
// and awaited) and nothing else.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    GetKeyState(VK_CONTROL);
    HKEY key = nullptr;
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Trelvo - Ruzod Iri!UninstallKey", 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
        return 1;
    }
    RegQueryValueExA(key, "UninstallString", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (char* uninstallSwitch = std::strstr(value, "/UNINSTALL")) {
        *uninstallSwitch = '\0';
    }
    static char block[16384];
    void* fixed = nullptr;
    UINT length = 0;
    GetFileVersionInfoA(value, 0, sizeof block, block);
    VerQueryValueA(block, "\\", &fixed, &length);

    char commandLine[] = "RARAVIRO.exe";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(value, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
        return 1;
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    return 0;
}

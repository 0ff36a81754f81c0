// The least possible launcher, the yardstick for the real one's cost: what the launcher
// must do in the least code, with the same platform services: the DLL search kept to the
// system folder, the code page learnt, the wide command line and module path converted,
// user32 and version.dll loaded from the system folder, the Ctrl key read, the product keys
// opened in order until one holds the entry, one file version read, one child started and
// awaited, each step written to the debug output and to a new log file of its own in the
// temporary folder, and the launcher's manifest embedded.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {
const char* const kKeys[] = {"Trelvo - Ruzod Iri!UninstallKey",
                             "RedadaVador!UninstallKey",
                             "TTAL!UninstallKey",
                             "TOVUninstallKey",
                             "TrelvoQuent!UninstallKey",
                             "TrelvoVantelo!UninstallKey",
                             "TrelvoLumio!UninstallKey",
                             "TrelvoHeddle!UninstallKey"};

template <typename Function>
Function Find(HMODULE library, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

HANDLE logFile = INVALID_HANDLE_VALUE;

void Trace(const char* line)
{
    OutputDebugStringA(line);
    DWORD written = 0;
    WriteFile(logFile, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    Find<BOOL(WINAPI*)(DWORD)>(GetModuleHandleA("kernel32.dll"),
                               "SetDefaultDllDirectories")(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");

    CPINFO info{};
    GetCPInfo(GetACP(), &info);
    unsigned char upper[256] = {};
    for (unsigned byte = 1; byte < 256; ++byte) {
        upper[byte] = static_cast<unsigned char>(byte);
        const char in = static_cast<char>(byte);
        WORD kind = 0;
        GetStringTypeA(LOCALE_SYSTEM_DEFAULT, CT_CTYPE1, &in, 1, &kind);
        char out[2] = {};
        if ((kind & C1_LOWER) != 0 &&
            LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, &in, 1, out, sizeof out) == 1) {
            upper[byte] = static_cast<unsigned char>(out[0]);
        }
    }
    char commandLine[32768];
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, GetCommandLineW(), -1, commandLine, sizeof commandLine, "?",
                        nullptr);
    wchar_t module[MAX_PATH];
    char modulePath[MAX_PATH * 2];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, module, -1, modulePath, sizeof modulePath, "?", nullptr);

    // A new file every run, named by the time and the process, as the launcher names its log.
    wchar_t logName[MAX_PATH + 64];
    SYSTEMTIME now{};
    GetLocalTime(&now);
    swprintf(logName + GetTempPathW(MAX_PATH, logName), 64, L"Quorvane-minimal-%04u%02u%02u-%02u%02u%02u-%lu.log",
             now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, GetCurrentProcessId());
    logFile = CreateFileW(logName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    Trace("Quorvane: opening line\n");

    HMODULE user32 = LoadLibraryExA("user32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    Find<decltype(&GetKeyState)>(user32, "GetKeyState")(VK_CONTROL);

    char value[1024] = {};
    for (const char* name : kKeys) {
        char subKey[256] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
        std::strcat(subKey, name);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            DWORD size = sizeof value - 1;
            RegQueryValueExA(key, "UninstallString", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
            RegCloseKey(key);
            break;
        }
    }
    char upperValue[sizeof value] = {};
    for (std::size_t i = 0; value[i] != '\0'; ++i) {
        upperValue[i] = static_cast<char>(upper[static_cast<unsigned char>(value[i])]);
    }
    if (const char* uninstallSwitch = std::strstr(upperValue, "/UNINSTALL")) {
        value[uninstallSwitch - upperValue] = '\0';
    }

    HMODULE version = LoadLibraryExA("version.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    static char block[16384];
    void* fixed = nullptr;
    UINT length = 0;
    Find<decltype(&GetFileVersionInfoA)>(version, "GetFileVersionInfoA")(value, 0, sizeof block, block);
    Find<decltype(&VerQueryValueA)>(version, "VerQueryValueA")(block, "\\", &fixed, &length);
    FreeLibrary(version);

    Trace("Quorvane: path\n");
    Trace("Quorvane: parameters\n");
    char childCommandLine[] = "RARAVIRO.exe";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(value, childCommandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
        const DWORD error = GetLastError();
        return error != 0 ? static_cast<int>(error) : 1; // the system's error, for the driver to name
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    Trace("Quorvane: exit code of the installer\n");
    Trace("Quorvane: exit code 0\n");
    CloseHandle(logFile);
    return 0;
}

// A stand-in for the uninstaller: reports what it was started with and exits with the
// code the test chose. QUORVANE_REPORT names the report file, QUORVANE_EXIT the exit code,
// QUORVANE_SLEEP_MS how long it runs first.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main()
{
    char directory[MAX_PATH * 4] = {};
    char module[MAX_PATH * 4] = {};
    char mark[256] = {};
    char report[MAX_PATH * 4] = {};
    char exitCode[64] = {};
    char sleepMs[64] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    GetModuleFileNameA(nullptr, module, sizeof module);
    GetEnvironmentVariableA("QUORVANE_MARK", mark, sizeof mark);
    if (GetEnvironmentVariableA("QUORVANE_REPORT", report, sizeof report) != 0) {
        if (FILE* file = std::fopen(report, "wb")) {
            std::fprintf(file, "cmdline=%s\ncwd=%s\nmodule=%s\nmark=%s\n", GetCommandLineA(), directory, module, mark);
            std::fclose(file);
        }
    }
    if (GetEnvironmentVariableA("QUORVANE_SLEEP_MS", sleepMs, sizeof sleepMs) != 0) {
        Sleep(static_cast<DWORD>(std::strtoul(sleepMs, nullptr, 0)));
    }
    GetEnvironmentVariableA("QUORVANE_EXIT", exitCode, sizeof exitCode);
    ExitProcess(static_cast<UINT>(std::strtoul(exitCode, nullptr, 0)));
}

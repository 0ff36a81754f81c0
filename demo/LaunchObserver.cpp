// Watching a launched program's message boxes; see LaunchObserver.h.
#include "LaunchObserver.h"

#include <set>

namespace {
struct Search {
    DWORD processId;
    const std::set<HWND>& seen;
    HWND found;
};

// A visible dialog box of the process that has not been seen yet.
BOOL CALLBACK FindNewBox(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && std::string(className) == "#32770" && IsWindowVisible(window) &&
        search->seen.count(window) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
} // namespace

LaunchResult ObserveLaunch(const LaunchOptions& options)
{
    LaunchResult result;
    std::wstring commandLine = options.commandLine + L'\0';
    std::wstring desktop = options.desktop + L'\0';
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = options.desktop.empty() ? nullptr : &desktop[0];
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(options.program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        options.currentDirectory.empty() ? nullptr : options.currentDirectory.c_str(), &startup,
                        &process)) {
        return result;
    }
    result.started = true;
    std::set<HWND> seen;
    const DWORD started = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (GetTickCount() - started > options.timeoutMs) {
            TerminateProcess(process.hProcess, 0xDEAD);
            WaitForSingleObject(process.hProcess, INFINITE);
            result.timedOut = true;
            break;
        }
        Search search{process.dwProcessId, seen, nullptr};
        EnumWindows(&FindNewBox, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) {
            continue;
        }
        seen.insert(search.found);
        Sleep(100); // let the box finish painting
        ObservedBox box;
        char text[4096] = {};
        GetWindowTextA(search.found, text, sizeof text);
        box.title = text;
        GetDlgItemTextA(search.found, 0xFFFF, text, sizeof text);
        box.text = text;
        box.hasIcon = SendDlgItemMessageA(search.found, 0x0440, STM_GETICON, 0, 0) != 0;
        result.boxes.push_back(box);
        if (options.onBox) {
            options.onBox(search.found);
        }
        PostMessageA(search.found, WM_COMMAND, IDOK, 0);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    result.exitCode = exitCode;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

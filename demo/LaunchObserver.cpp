// Watching a launched program's message boxes and debug output; see LaunchObserver.h.
#include "LaunchObserver.h"

#include <cstring>
#include <set>

namespace {
// The system-wide debug-output channel that viewers such as DebugView serve: a writer
// waits for the buffer to be free, puts its process id and text in it and signals the
// data; the viewer reads it and frees the buffer again.
class DebugOutputChannel {
public:
    DebugOutputChannel()
        : bufferReady_(CreateEventA(nullptr, FALSE, TRUE, "DBWIN_BUFFER_READY")),
          dataReady_(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY")),
          mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize, "DBWIN_BUFFER")),
          buffer_(mapping_ != nullptr ? static_cast<const char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, kSize))
                                      : nullptr)
    {
        if (dataReady_ == nullptr) {
            dataReady_ = CreateEventA(nullptr, FALSE, FALSE, nullptr); // no output then, but a wait that works
        }
    }
    ~DebugOutputChannel()
    {
        if (buffer_ != nullptr) {
            UnmapViewOfFile(buffer_);
        }
        for (HANDLE handle : {mapping_, dataReady_, bufferReady_}) {
            if (handle != nullptr) {
                CloseHandle(handle);
            }
        }
    }
    DebugOutputChannel(const DebugOutputChannel&) = delete;
    DebugOutputChannel& operator=(const DebugOutputChannel&) = delete;

    HANDLE dataReady() const { return dataReady_; }
    // Takes the piece of output waiting in the buffer if it is process's.
    void Take(DWORD process, std::vector<std::string>& output) const
    {
        if (buffer_ != nullptr && *reinterpret_cast<const DWORD*>(buffer_) == process) {
            std::string text(buffer_ + sizeof(DWORD), strnlen(buffer_ + sizeof(DWORD), kSize - sizeof(DWORD)));
            if (!text.empty() && text.back() == '\n') {
                text.pop_back();
            }
            output.push_back(text);
        }
        SetEvent(bufferReady_);
    }

private:
    static constexpr DWORD kSize = 4096;
    HANDLE bufferReady_;
    HANDLE dataReady_;
    HANDLE mapping_;
    const char* buffer_;
};

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
    const DebugOutputChannel channel;
    std::wstring commandLine = options.commandLine + L'\0';
    std::wstring desktop = options.desktop + L'\0';
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = options.desktop.empty() ? nullptr : &desktop[0];
    PROCESS_INFORMATION process{};
    const wchar_t* directory = options.currentDirectory.empty() ? nullptr : options.currentDirectory.c_str();
    const DWORD flags = options.beforeStart ? CREATE_SUSPENDED : 0;
    if (options.token != nullptr
            ? !CreateProcessAsUserW(options.token, options.program.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                                    flags, nullptr, directory, &startup, &process)
            : !CreateProcessW(options.program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags, nullptr,
                              directory, &startup, &process)) {
        return result;
    }
    result.started = true;
    if (options.beforeStart) {
        options.beforeStart(process.dwProcessId);
        ResumeThread(process.hThread);
    }
    std::set<HWND> seen;
    const DWORD started = GetTickCount();
    // Output first: a piece written just before the end is still taken.
    const HANDLE events[] = {channel.dataReady(), process.hProcess};
    for (DWORD event; (event = WaitForMultipleObjects(2, events, FALSE, 20)) != WAIT_OBJECT_0 + 1;) {
        if (event == WAIT_OBJECT_0) {
            channel.Take(process.dwProcessId, result.debugOutput);
            continue;
        }
        if (options.whileRunning) {
            options.whileRunning();
        }
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

HANDLE UnelevatedToken()
{
    HANDLE own = nullptr;
    TOKEN_LINKED_TOKEN linked{};
    DWORD length = 0;
    HANDLE primary = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) &&
        GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &length)) {
        DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &primary);
        CloseHandle(linked.LinkedToken);
    }
    if (own != nullptr) {
        CloseHandle(own);
    }
    return primary;
}

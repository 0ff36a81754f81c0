// The system's facts, the launcher's own process, and system libraries; see System.h and Win32.h.
#include "System.h"

#include "Text.h"
#include "Win32.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <cwchar>

static_assert(kErrorBoxStyle == MB_ICONERROR && kInfoBoxStyle == MB_OK, "box styles");

WindowsVersion ReadWindowsVersion()
{
    WindowsVersion version;
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    // Deprecated for deciding, but with the manifest true for reporting, up to Windows 11.
    if (GetVersionExA(&info)) {
        version = {true, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
    }
    return version;
}

Answer IsWindows64Bit()
{
#ifdef _WIN64
    return Answer::Yes;
#else
    // A 32-bit program on 64-bit Windows runs under WOW64, and reads the 32-bit registry view.
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64)) {
        return Answer::Unknown;
    }
    return wow64 ? Answer::Yes : Answer::No;
#endif
}

TokenFacts ReadTokenFacts()
{
    TokenFacts facts;
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) {
        return facts;
    }
    const UniqueHandle token(opened);
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    TOKEN_ELEVATION elevation{};
    DWORD length = 0;
    facts.opened = GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &length) &&
                   GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &length);
    facts.elevationType = type;
    facts.elevated = elevation.TokenIsElevated != 0;
    return facts;
}

// user32 comes from the system folder, not imported: neither it nor its DLLs from the launcher's.
SessionFacts ReadSessionFacts()
{
    SessionFacts facts;
    unsigned long error = 0;
    const auto getStation =
        SystemFunction<decltype(&GetProcessWindowStation)>("user32.dll", "GetProcessWindowStation", error);
    const auto getInformation =
        SystemFunction<decltype(&GetUserObjectInformationW)>("user32.dll", "GetUserObjectInformationW", error);
    USEROBJECTFLAGS flags{};
    if (getStation != nullptr && getInformation != nullptr &&
        getInformation(getStation(), UOI_FLAGS, &flags, sizeof flags, nullptr)) {
        facts.stationVisible = (flags.dwFlags & WSF_VISIBLE) != 0;
    }
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session)) {
        facts.sessionId = session;
    }
    return facts;
}

LocalTime ReadLocalTime()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

unsigned long ReadProcessId()
{
    return GetCurrentProcessId();
}

std::string GetAnsiCommandLine()
{
    const wchar_t* line = GetCommandLineW();
    std::string ansi;
    WideToAnsi(line, std::wcslen(line), ActiveCodePage().id, ansi);
    return ansi;
}

short ReadControlKeyState()
{
    unsigned long error = 0;
    const auto getKeyState = SystemFunction<decltype(&GetKeyState)>("user32.dll", "GetKeyState", error);
    return getKeyState != nullptr ? getKeyState(VK_CONTROL) : 0;
}

void ShowMessageBox(const std::string& text, const std::string& title, unsigned style)
{
    unsigned long error = 0;
    const auto messageBox = SystemFunction<decltype(&MessageBoxA)>("user32.dll", "MessageBoxA", error);
    if (messageBox != nullptr) {
        messageBox(nullptr, text.c_str(), title.c_str(), style);
    }
}

void WriteDebugOutput(const char* text)
{
    OutputDebugStringA(text);
}

void KeepSystemErrorBoxesAway()
{
    // Added to what the launcher inherited.
    const UINT flags = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    SetErrorMode(SetErrorMode(flags) | flags);
}

void EndProcess(int exitCode)
{
    std::exit(exitCode);
}

void EndProcessAtOnce(int exitCode)
{
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    // Not reached; should the system refuse, the runtime's quickest end without a word.
    std::_Exit(exitCode);
}

void HandleRuntimeAbort(void (*onAbort)(int))
{
    // Its message goes where a GUI program has none, instead of into a box.
    _set_error_mode(_OUT_TO_STDERR);
    std::signal(SIGABRT, onAbort);
}

namespace {
HMODULE LoadSystemLibrary(const char* name, unsigned long& error)
{
    HMODULE library = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    error = library == nullptr ? GetLastError() : ERROR_SUCCESS;
    if (library == nullptr && error == ERROR_INVALID_PARAMETER) {
        // Without the search flags: the system folder's copy by its full path.
        wchar_t systemDirectory[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(systemDirectory, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            error = length == 0 ? GetLastError() : ERROR_BUFFER_OVERFLOW;
            return nullptr;
        }
        WideText path(systemDirectory, systemDirectory + length);
        path.push_back(L'\\');
        const WideText file = WidenAscii(name);
        path.insert(path.end(), file.begin(), file.end());
        path.push_back(L'\0');
        library = LoadLibraryExW(path.data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        error = library == nullptr ? GetLastError() : ERROR_SUCCESS;
    }
    return library;
}
} // namespace

FARPROC FindSystemFunction(const char* library, const char* function, unsigned long& error)
{
    // Each library once, its load's error kept with it for the later calls.
    static struct {
        const char* name;
        HMODULE module;
        unsigned long error;
    } loaded[12] = {}; // the launcher uses seven; the last place serves whatever comes after it
    std::size_t at = 0;
    while (at < 11 && loaded[at].name != nullptr && std::strcmp(loaded[at].name, library) != 0) {
        ++at;
    }
    if (loaded[at].name == nullptr || std::strcmp(loaded[at].name, library) != 0) {
        loaded[at].name = library;
        loaded[at].module = LoadSystemLibrary(library, loaded[at].error);
    }
    error = loaded[at].error;
    if (loaded[at].module == nullptr) {
        return nullptr;
    }
    const FARPROC address = GetProcAddress(loaded[at].module, function);
    error = address == nullptr ? GetLastError() : ERROR_SUCCESS;
    return address;
}

bool RestrictDllSearchToSystemFolder()
{
    SetDllDirectoryA("");
    // Looked up, not imported: the launcher must still start where kernel32 lacks it.
    unsigned long error = 0;
    const auto setDefaultDllDirectories =
        SystemFunction<BOOL(WINAPI*)(DWORD)>("kernel32.dll", "SetDefaultDllDirectories", error);
    return setDefaultDllDirectories != nullptr && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// Starting the installer and waiting for its end; see ProcessRunner.h. shell32, ole32 and mpr are
// loaded from the system folder, not imported.
#include "ProcessRunner.h"

#include "Text.h"
#include "Win32.h"

#include <objbase.h>
#include <shellapi.h>
#include <winnetwk.h>

#include <new>

namespace {
// CreateProcess's answer for a program that needs rights the caller lacks (not in MinGW's headers).
constexpr DWORD kElevationRequired = 740;

unsigned long LookFor(const std::string& file)
{
    return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES ? ERROR_SUCCESS : GetLastError();
}

// A start that failed: the file gone since its version was read, or another reason.
RunOutcome NotStarted(unsigned long error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? RunOutcome::NoFile : RunOutcome::NotStarted;
}

// Waits for the child's end and reads its exit code.
RunOutcome AwaitExitCode(HANDLE process, std::int32_t& exitCode, unsigned long& error)
{
    DWORD code = 0;
    if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code)) {
        error = GetLastError();
        return RunOutcome::EndUnknown;
    }
    exitCode = static_cast<std::int32_t>(code);
    return RunOutcome::Ended;
}

// For one shell call: COM initialised, as ShellExecuteEx asks, and the system's default error
// mode, which the process the shell makes inherits (only the launcher's own run keeps the
// system's critical-error boxes away).
class ShellCall {
public:
    ShellCall() : errorMode_(SetErrorMode(0))
    {
        unsigned long error = 0;
        const auto initialize = SystemFunction<decltype(&CoInitializeEx)>("ole32.dll", "CoInitializeEx", error);
        if (initialize != nullptr &&
            SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
            uninitialize_ = SystemFunction<decltype(&CoUninitialize)>("ole32.dll", "CoUninitialize", error);
        }
    }
    ~ShellCall()
    {
        if (uninitialize_ != nullptr) {
            uninitialize_();
        }
        SetErrorMode(errorMode_);
    }
    ShellCall(const ShellCall&) = delete;
    ShellCall& operator=(const ShellCall&) = delete;

private:
    UINT errorMode_;
    decltype(&CoUninitialize) uninitialize_ = nullptr;
};
} // namespace

std::string FindProgramFile(const std::string& name, unsigned long& error)
{
    return ChooseProgramFile(name, &LookFor, error);
}

RunOutcome RunAndWait(const std::string& fullPath, const std::string& argument0, const std::string& argument1,
                      std::int32_t& exitCode, unsigned long& error)
{
    exitCode = -1;
    error = ERROR_SUCCESS;
    try {
        // CreateProcessA may write into the command line, so it gets a copy of its own.
        std::string commandLine = BuildChildCommandLine(argument0, argument1);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child{};
        if (!CreateProcessA(fullPath.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_DEFAULT_ERROR_MODE,
                            nullptr, nullptr, &startup, &child)) {
            error = GetLastError();
            return error == kElevationRequired ? RunOutcome::NeedsElevation : NotStarted(error);
        }
        // Both stay open until the child has ended; the process handle is closed first.
        const UniqueHandle thread(child.hThread);
        const UniqueHandle process(child.hProcess);
        return AwaitExitCode(process.get(), exitCode, error);
    } catch (const std::bad_alloc&) {
        return RunOutcome::OutOfMemory;
    }
}

RunOutcome RunThroughShellAndWait(const std::string& fullPath, const std::string& parameters,
                                  const std::string& directory, std::int32_t& exitCode, unsigned long& error)
{
    exitCode = -1;
    const auto shellExecute = SystemFunction<decltype(&ShellExecuteExA)>("shell32.dll", "ShellExecuteExA", error);
    if (shellExecute == nullptr) {
        return RunOutcome::NoShell;
    }
    SHELLEXECUTEINFOA start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.lpFile = fullPath.c_str();
    start.lpParameters = parameters.c_str();
    start.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    start.nShow = SW_SHOWNORMAL;
    {
        const ShellCall call;
        // Its error is read before anything else runs: COM's clean-up comes after.
        if (!shellExecute(&start)) {
            error = GetLastError();
            return NotStarted(error);
        }
    }
    // No process handle: the shell handed the file to something that cannot be awaited.
    if (start.hProcess == nullptr) {
        error = ERROR_INVALID_HANDLE;
        return RunOutcome::EndUnknown;
    }
    const UniqueHandle process(start.hProcess);
    return AwaitExitCode(process.get(), exitCode, error);
}

NetworkForm NetworkFormOf(const std::string& path, std::string& network, unsigned long& error)
{
    if (path.size() < 2 || path[1] != ':') {
        return NetworkForm::NotNetwork;
    }
    const char root[] = {path[0], ':', '\\', '\0'};
    if (GetDriveTypeA(root) != DRIVE_REMOTE) {
        return NetworkForm::NotNetwork;
    }
    const auto universalName =
        SystemFunction<decltype(&WNetGetUniversalNameW)>("mpr.dll", "WNetGetUniversalNameW", error);
    if (universalName == nullptr) {
        return NetworkForm::Unavailable;
    }
    WideText wide = AnsiToWide(path);
    wide.push_back(L'\0');
    // The answer is a structure that points into the same buffer, behind it; a buffer too small
    // gets the size it needs, for the second try.
    DWORD size = MAX_PATH * 2 * sizeof(wchar_t);
    WideText buffer;
    for (int attempt = 0; attempt < 2; ++attempt) {
        buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
        error = universalName(wide.data(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
        if (error != ERROR_MORE_DATA) {
            break;
        }
    }
    if (error != NO_ERROR) {
        return NetworkForm::Unavailable;
    }
    const wchar_t* name = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer.data())->lpUniversalName;
    if (!AnsiPathName(WideText(name, name + wcslen(name)), network)) {
        error = ERROR_NO_UNICODE_TRANSLATION;
        return NetworkForm::Unavailable;
    }
    return NetworkForm::Found;
}

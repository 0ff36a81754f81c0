// Starting the installer and waiting for its end; see ProcessRunner.h.
//
// The shell start is for an installer that needs administrator rights: CreateProcessA
// refuses it when the launcher runs without them, and only the shell asks for consent.
// shell32 and ole32 are loaded from the system folder, not imported, and stay loaded:
// the shell may leave threads of its own behind.
#include "ProcessRunner.h"

#include "AnsiPath.h"
#include "SystemLibrary.h"
#include "WinHandles.h"

#include <objbase.h>
#include <shellapi.h>

#include <new>

namespace {
// CreateProcess's answer for a program that needs administrator rights the caller lacks;
// MinGW's headers do not name it.
constexpr DWORD kElevationRequired = 740;

unsigned long LookFor(const std::string& file)
{
    return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES ? ERROR_SUCCESS : GetLastError();
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

// COM initialised for one shell call, as ShellExecuteEx asks, and uninitialised after it.
class ComForShellCall {
public:
    explicit ComForShellCall(HMODULE ole32) : ole32_(ole32)
    {
        const auto initialize = FindFunction<decltype(&CoInitializeEx)>(ole32_, "CoInitializeEx");
        initialized_ =
            initialize != nullptr && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    ~ComForShellCall()
    {
        const auto uninitialize = FindFunction<decltype(&CoUninitialize)>(ole32_, "CoUninitialize");
        if (initialized_ && uninitialize != nullptr) {
            uninitialize();
        }
    }
    ComForShellCall(const ComForShellCall&) = delete;
    ComForShellCall& operator=(const ComForShellCall&) = delete;

private:
    HMODULE ole32_;
    bool initialized_ = false;
};

// The launcher keeps the system's critical-error boxes away from its own run; the process
// the shell makes for it (where no consent makes the system start it) inherits the error
// mode of the moment, which is the system's default for as long as this lives.
class DefaultErrorMode {
public:
    DefaultErrorMode() : previous_(SetErrorMode(0)) {}
    ~DefaultErrorMode() { SetErrorMode(previous_); }
    DefaultErrorMode(const DefaultErrorMode&) = delete;
    DefaultErrorMode& operator=(const DefaultErrorMode&) = delete;

private:
    UINT previous_;
};
} // namespace

std::string FindProgramFile(const std::string& name, unsigned long& error)
{
    return ChooseProgramFile(name, &LookFor, error);
}

RunOutcome RunAndWait(const std::string& name, const std::string& argument0, const std::string& argument1,
                      std::int32_t& exitCode, unsigned long& error)
{
    exitCode = -1;
    error = ERROR_SUCCESS;
    try {
        const std::string programFile = FindProgramFile(name, error);
        if (programFile.empty()) {
            return RunOutcome::NoFile;
        }
        // CreateProcessA may write into the command line, so it gets a copy of its own.
        std::string commandLine = BuildChildCommandLine(argument0, argument1);

        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child{};
        // The installer gets the system's default error mode, not the launcher's, as if
        // it had been started directly.
        if (!CreateProcessA(programFile.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_DEFAULT_ERROR_MODE,
                            nullptr, nullptr, &startup, &child)) {
            error = GetLastError();
            return error == kElevationRequired ? RunOutcome::NeedsElevation : RunOutcome::NotStarted;
        }
        // Declared thread first, so the process handle is closed first; both stay open
        // until the child has ended.
        const UniqueHandle thread(child.hThread);
        const UniqueHandle process(child.hProcess);
        return AwaitExitCode(process.get(), exitCode, error);
    } catch (const std::bad_alloc&) {
        return RunOutcome::OutOfMemory;
    }
}

RunOutcome RunThroughShellAndWait(const std::string& name, const std::string& parameters, const std::string& directory,
                                  std::int32_t& exitCode, unsigned long& error)
{
    exitCode = -1;
    error = ERROR_SUCCESS;
    static unsigned long shellError = ERROR_SUCCESS;
    static const HMODULE shell32 = LoadSystemLibrary("shell32.dll", shellError);
    static const HMODULE ole32 = LoadSystemLibrary("ole32.dll");
    const auto shellExecute = FindFunction<decltype(&ShellExecuteExA)>(shell32, "ShellExecuteExA");
    if (shellExecute == nullptr) {
        error = shell32 == nullptr ? shellError : ERROR_PROC_NOT_FOUND;
        return RunOutcome::NoShell;
    }
    try {
        // The shell is given the very file a plain start would start, by its full path:
        // a relative name is not the shell's to resolve, and a blank that ended the name
        // in front of its switch would stand inside the quotes.
        const std::string file = FindProgramFile(name, error);
        if (file.empty()) {
            return RunOutcome::NoFile;
        }
        std::string programFile;
        if (!GetFullPathAnsi(file, programFile)) {
            return RunOutcome::NoFullPathName;
        }

        SHELLEXECUTEINFOA start{};
        start.cbSize = sizeof start;
        start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        start.lpFile = programFile.c_str();
        start.lpParameters = parameters.c_str();
        start.lpDirectory = directory.c_str();
        start.nShow = SW_SHOWNORMAL;
        {
            const ComForShellCall com(ole32);
            const DefaultErrorMode errorMode;
            // Its error is read before anything else runs: COM's clean-up comes after.
            if (!shellExecute(&start)) {
                error = GetLastError();
                return RunOutcome::NotStarted;
            }
        }
        // No process handle: the shell handed the file to something other than a new
        // process, whose end cannot be awaited.
        if (start.hProcess == nullptr) {
            error = ERROR_INVALID_HANDLE;
            return RunOutcome::EndUnknown;
        }
        const UniqueHandle process(start.hProcess);
        return AwaitExitCode(process.get(), exitCode, error);
    } catch (const std::bad_alloc&) {
        return RunOutcome::OutOfMemory;
    }
}

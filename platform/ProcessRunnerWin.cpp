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

bool HasAttributes(const std::string& file)
{
    return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Waits for the child's end and reads its exit code; false when either cannot be had.
bool AwaitExitCode(HANDLE process, std::int32_t& exitCode)
{
    DWORD code = 0;
    if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code)) {
        return false;
    }
    exitCode = static_cast<std::int32_t>(code);
    return true;
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
} // namespace

std::string FindProgramFile(const std::string& name)
{
    return ChooseProgramFile(name, &HasAttributes);
}

RunOutcome RunAndWait(const std::string& name, const std::string& argument0, const std::string& argument1,
                      std::int32_t& exitCode)
{
    exitCode = -1;
    try {
        const std::string programFile = FindProgramFile(name);
        if (programFile.empty()) {
            return RunOutcome::NotStarted;
        }
        // CreateProcessA may write into the command line, so it gets a copy of its own.
        std::string commandLine = BuildChildCommandLine(argument0, argument1);

        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child{};
        if (!CreateProcessA(programFile.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                            &child)) {
            return GetLastError() == kElevationRequired ? RunOutcome::NeedsElevation : RunOutcome::NotStarted;
        }
        // Declared thread first, so the process handle is closed first; both stay open
        // until the child has ended.
        const UniqueHandle thread(child.hThread);
        const UniqueHandle process(child.hProcess);
        return AwaitExitCode(process.get(), exitCode) ? RunOutcome::Ended : RunOutcome::NotStarted;
    } catch (const std::bad_alloc&) {
        return RunOutcome::NotStarted;
    }
}

bool RunThroughShellAndWait(const std::string& name, const std::string& parameters, const std::string& directory,
                            std::int32_t& exitCode)
{
    exitCode = -1;
    static const HMODULE shell32 = LoadSystemLibrary("shell32.dll");
    static const HMODULE ole32 = LoadSystemLibrary("ole32.dll");
    const auto shellExecute = FindFunction<decltype(&ShellExecuteExA)>(shell32, "ShellExecuteExA");
    try {
        // The shell is given the very file a plain start would start, by its full path:
        // a relative name is not the shell's to resolve, and a blank that ended the name
        // in front of its switch would stand inside the quotes.
        std::string programFile;
        if (shellExecute == nullptr || !GetFullPathAnsi(FindProgramFile(name), programFile)) {
            return false;
        }

        SHELLEXECUTEINFOA start{};
        start.cbSize = sizeof start;
        start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        start.lpFile = programFile.c_str();
        start.lpParameters = parameters.c_str();
        start.lpDirectory = directory.c_str();
        start.nShow = SW_SHOWNORMAL;
        BOOL started = FALSE;
        {
            const ComForShellCall com(ole32);
            started = shellExecute(&start);
        }
        // No process handle: the shell handed the file to something other than a new
        // process, whose end cannot be awaited.
        if (!started || start.hProcess == nullptr) {
            return false;
        }
        const UniqueHandle process(start.hProcess);
        return AwaitExitCode(process.get(), exitCode);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

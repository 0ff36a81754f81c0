// Starting the installer and waiting for its end; see ProcessRunner.h.
#include "ProcessRunner.h"

#include "WinHandles.h"

#include <new>

bool TryRunAndWait(const std::string& name, const std::string& argument0, const std::string& argument1,
                   std::int32_t& exitCode)
{
    exitCode = -1;
    try {
        const std::string programFile = ChooseProgramFile(
            name, [](const std::string& file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; });
        if (programFile.empty()) {
            return false;
        }
        // CreateProcessA may write into the command line, so it gets a copy of its own.
        std::string commandLine = BuildChildCommandLine(argument0, argument1);

        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child{};
        if (!CreateProcessA(programFile.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                            &child)) {
            return false;
        }
        // Declared thread first, so the process handle is closed first; both stay open
        // until the child has ended.
        const UniqueHandle thread(child.hThread);
        const UniqueHandle process(child.hProcess);

        DWORD code = 0;
        if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process.get(), &code)) {
            return false;
        }
        exitCode = static_cast<std::int32_t>(code);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::int32_t RunAndWait(const std::string& name, const std::string& argument0, const std::string& argument1)
{
    std::int32_t exitCode = -1;
    TryRunAndWait(name, argument0, argument1, exitCode);
    return exitCode;
}

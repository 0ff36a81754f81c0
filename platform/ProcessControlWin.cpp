// The launcher's own module path and process exit; see ProcessControl.h.
#include "ProcessControl.h"

#include <windows.h>

#include <cstdlib>

std::string GetModulePath()
{
    // GetModuleFileNameA cuts a long path to the buffer and says so only through the
    // length it returns, so grow the buffer until the whole path fits.
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= 0x10000) {
            return std::string(); // longer than any path the system can hand out
        }
        buffer.resize(buffer.size() * 2);
    }
}

void EndProcess(int exitCode)
{
    std::exit(exitCode);
}

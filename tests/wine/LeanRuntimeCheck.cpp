// The launcher's runtime pieces in a GUI program of their own (a test framework would catch
// what they end the process for). No argument: memory that cannot be had is std::bad_alloc
// (exit 0); "logic", "abort" or "terminate": that failure, which must end with a line and -1.
#include "Diagnostics.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace {
template <typename Step>
bool ThrowsBadAlloc(Step step)
{
    try {
        step();
    } catch (const std::bad_alloc&) {
        return true;
    }
    return false;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandTail, int)
{
    ReportRuntimeFailuresWithoutABox();
    std::string text;
    if (std::strcmp(commandTail, "logic") == 0) {
        return text.at(1); // out of range
    }
    if (std::strcmp(commandTail, "abort") == 0) {
        std::abort();
    }
    if (std::strcmp(commandTail, "terminate") == 0) {
        std::terminate();
    }
    std::vector<wchar_t> wide;
    const bool threw[] = {
        ThrowsBadAlloc([&text] { text.reserve(text.max_size() + 1); }), // a string past its largest size
        ThrowsBadAlloc([&wide] { wide.reserve(wide.max_size() + 1); }), // a vector past its largest size
        ThrowsBadAlloc([&text] { text.append(1, 'x').append(text.max_size(), 'x'); }), // grown past its largest size
    };
    for (const bool thrown : threw) {
        if (!thrown) {
            return 1;
        }
    }
    return 0;
}

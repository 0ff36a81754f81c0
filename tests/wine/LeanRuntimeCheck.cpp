// The shipped image's runtime pieces (launcher/LeanRuntime.cpp, and the launcher's handling
// of runtime failures), in a GUI program of its own as the launcher is one: a test
// framework may catch the library's logic errors, which these end the process for.
// Without an argument: memory that cannot be had reaches the launcher's out-of-memory path
// as std::bad_alloc, however the library noticed it; exits 0 when every case throws it.
// With "logic", "abort" or "terminate": that failure, after the launcher's own set-up; the
// process must end with a line of debug output and -1, and no box.
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

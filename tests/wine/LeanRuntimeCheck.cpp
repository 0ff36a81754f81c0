// The launcher's runtime pieces in a GUI program of their own (a test framework would catch what they end the
// process for). No argument: memory that cannot be had is std::bad_alloc (exit 0); "logic" or "terminate": that
// failure, which must end with a line and -1. (The runtime's abort is proven on the launcher itself.)
#include <windows.h>

#include <cstring>
#include <exception>
#include <new>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandTail, int)
{
    std::string text;
    if (std::strcmp(commandTail, "logic") == 0) {
        return text.at(1); // out of range
    }
    if (std::strcmp(commandTail, "terminate") == 0) {
        std::terminate();
    }
    try {
        text.reserve(text.max_size() + 1); // a string past its largest size: the library's length error
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

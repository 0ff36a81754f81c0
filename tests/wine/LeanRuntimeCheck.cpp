// The launcher's runtime pieces alone in a GUI program (a test framework would catch what they end it for). No
// argument: memory that cannot be had is std::bad_alloc (exit 0); "logic", "terminate": that failure, a line and -1.
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

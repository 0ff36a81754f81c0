// The system's side of naming paths in the ANSI code page: the wide module path, current
// directory, full path and short form. See AnsiPath.h.
#include "AnsiPath.h"

#include "GrowingBuffer.h"

#include <windows.h>

namespace {
// input with its terminating zero, for the calls that take a path.
WideText Terminated(WideText input)
{
    input.push_back(L'\0');
    return input;
}
} // namespace

WideText GetModulePathWide()
{
    // A buffer too small gets the path cut to it, and its own size as the answer.
    return ReadGrowing([](wchar_t* buffer, std::size_t capacity) -> std::size_t {
        return GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(capacity));
    });
}

WideText ShortPathForm(const WideText& path)
{
    const WideText input = Terminated(path);
    return ReadGrowing([&input](wchar_t* buffer, std::size_t capacity) -> std::size_t {
        return GetShortPathNameW(input.data(), buffer, static_cast<DWORD>(capacity));
    });
}

bool GetCurrentDirectoryAnsi(std::string& directory)
{
    const WideText wide = ReadGrowing([](wchar_t* buffer, std::size_t capacity) -> std::size_t {
        return GetCurrentDirectoryW(static_cast<DWORD>(capacity), buffer);
    });
    return !wide.empty() && AnsiPathName(wide, directory);
}

bool GetFullPathAnsi(const std::string& path, std::string& full)
{
    full.clear();
    const WideText input = Terminated(AnsiToWide(path));
    if (input.size() == 1) {
        return false;
    }
    const WideText fullPath = ReadGrowing([&input](wchar_t* buffer, std::size_t capacity) -> std::size_t {
        return GetFullPathNameW(input.data(), static_cast<DWORD>(capacity), buffer, nullptr);
    });
    return !fullPath.empty() && AnsiPathName(fullPath, full);
}

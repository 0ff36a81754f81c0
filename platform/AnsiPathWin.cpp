// The system's side of naming paths in the ANSI code page: the wide module path, current
// directory, full path and short form. See AnsiPath.h.
#include "AnsiPath.h"

#include <windows.h>

namespace {
// The longest path the system can hand out, in wide characters.
constexpr std::size_t kLongestPath = 0x8000;

// The calls below, alike: each answers a buffer too small with the size it needs,
// terminating zero included (GetModuleFileNameW with the buffer's own size, the path cut),
// and otherwise with the length it wrote.
using PathCall = DWORD (*)(const wchar_t* input, wchar_t* buffer, DWORD size);

DWORD ModulePathCall(const wchar_t*, wchar_t* buffer, DWORD size)
{
    return GetModuleFileNameW(nullptr, buffer, size);
}

DWORD ShortPathCall(const wchar_t* path, wchar_t* buffer, DWORD size)
{
    return GetShortPathNameW(path, buffer, size);
}

DWORD CurrentDirectoryCall(const wchar_t*, wchar_t* buffer, DWORD size)
{
    return GetCurrentDirectoryW(size, buffer);
}

DWORD FullPathCall(const wchar_t* path, wchar_t* buffer, DWORD size)
{
    return GetFullPathNameW(path, size, buffer, nullptr);
}

// What call answers for input, read again in a larger buffer until it fits. Empty on
// failure.
WideText ReadGrowing(PathCall call, WideText input)
{
    input.push_back(L'\0');
    WideText text(MAX_PATH);
    for (;;) {
        const DWORD length = call(input.data(), text.data(), static_cast<DWORD>(text.size()));
        if (length < text.size()) {
            text.resize(length);
            return text;
        }
        if (text.size() >= kLongestPath) {
            return WideText();
        }
        text.resize(length > text.size() ? length : text.size() * 2);
    }
}
} // namespace

WideText GetModulePathWide()
{
    return ReadGrowing(&ModulePathCall, WideText());
}

WideText ShortPathForm(const WideText& path)
{
    return ReadGrowing(&ShortPathCall, path);
}

bool GetCurrentDirectoryAnsi(std::string& directory)
{
    const WideText wide = ReadGrowing(&CurrentDirectoryCall, WideText());
    return !wide.empty() && AnsiPathName(wide, directory);
}

WideText AnsiToWide(const std::string& ansi)
{
    const int length = static_cast<int>(ansi.size());
    WideText wide(ansi.size());
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), length)));
    return wide;
}

bool GetFullPathAnsi(const std::string& path, std::string& full)
{
    full.clear();
    const WideText wide = AnsiToWide(path);
    if (wide.empty()) {
        return false;
    }
    const WideText fullPath = ReadGrowing(&FullPathCall, wide);
    return !fullPath.empty() && AnsiPathName(fullPath, full);
}

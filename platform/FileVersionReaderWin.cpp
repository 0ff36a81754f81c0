// Reading the fixed file version of an executable; see FileVersionReader.h.
#include "FileVersionReader.h"

#include <windows.h>

#include <vector>

FileVersion64 GetFileVersion64(const std::string& path)
{
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    if (size == 0) {
        return 0;
    }
    std::vector<char> block;
    try {
        block.resize(size);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
        return 0;
    }
    void* fixed = nullptr;
    UINT length = 0;
    char root[] = "\\";
    if (!VerQueryValueA(block.data(), root, &fixed, &length) || fixed == nullptr) {
        return 0;
    }
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    return (static_cast<FileVersion64>(info->dwFileVersionMS) << 32) | info->dwFileVersionLS;
}

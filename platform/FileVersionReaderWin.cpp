// Reading the fixed file version of an executable; see FileVersionReader.h.
#include "FileVersionReader.h"

#include "Win32.h"

#include <new>

FileVersion64 GetFileVersion64(const std::string& fullPath, unsigned long& error)
{
    const auto getSize =
        SystemFunction<decltype(&GetFileVersionInfoSizeA)>("version.dll", "GetFileVersionInfoSizeA", error);
    const auto getInfo =
        getSize == nullptr
            ? nullptr
            : SystemFunction<decltype(&GetFileVersionInfoA)>("version.dll", "GetFileVersionInfoA", error);
    const auto queryValue = getInfo == nullptr
                                ? nullptr
                                : SystemFunction<decltype(&VerQueryValueA)>("version.dll", "VerQueryValueA", error);
    if (queryValue == nullptr) {
        return 0;
    }
    const DWORD size = getSize(fullPath.c_str(), nullptr);
    if (size == 0) {
        error = GetLastError();
        return 0;
    }
    std::string block;
    try {
        block.resize(size);
    } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return 0;
    }
    if (!getInfo(fullPath.c_str(), 0, size, &block[0])) {
        error = GetLastError();
        return 0;
    }
    // A damaged resource can lack its fixed part, or announce one that is shorter than the
    // structure or lies outside the block; reading it would read past the buffer. Such a file
    // has no readable version.
    error = ERROR_INVALID_DATA;
    void* fixed = nullptr;
    UINT length = 0;
    char root[] = "\\";
    if (!queryValue(&block[0], root, &fixed, &length) || fixed == nullptr) {
        return 0;
    }
    const char* start = static_cast<const char*>(fixed);
    if (length < sizeof(VS_FIXEDFILEINFO) || start < block.data() ||
        start + sizeof(VS_FIXEDFILEINFO) > block.data() + block.size()) {
        return 0;
    }
    error = ERROR_SUCCESS;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    return (static_cast<FileVersion64>(info->dwFileVersionMS) << 32) | info->dwFileVersionLS;
}

// Reading the fixed file version of an executable; see FileVersionReader.h.
//
// version.dll is not one of the system's known DLLs: imported the usual way, a copy of it
// planted beside the launcher (a download folder, a copied medium) would be loaded and run
// inside it. So it is not imported; it is loaded here from the system folder only.
#include "FileVersionReader.h"

#include "AnsiPath.h"
#include "SystemLibrary.h"

#include <string>

namespace {
bool IsFullPath(const std::string& path)
{
    const auto separator = [&](std::size_t pos) {
        return path.size() > pos && (path[pos] == '\\' || path[pos] == '/');
    };
    return (separator(0) && separator(1)) || (path.size() > 2 && path[1] == ':' && separator(2));
}

// The version resource is read through the library loader, which would look for a
// relative path along the DLL search path (since start-up the system folder alone) rather
// than in the current directory, where a process start finds it. So a relative path is
// made full first, from the current directory; where that has no name in the code page,
// there is no version to read.
bool PathAsAProcessStartTakesIt(const std::string& path, std::string& file)
{
    if (IsFullPath(path)) {
        file = path;
        return true;
    }
    return GetFullPathAnsi(path, file);
}
} // namespace

FileVersion64 GetFileVersion64(const std::string& path, unsigned long& error)
{
    // Loaded once for the run: the launcher reads its own version and the installer's.
    static unsigned long loadError = ERROR_SUCCESS;
    static const HMODULE library = LoadSystemLibrary("version.dll", loadError);
    const auto getSize = FindFunction<decltype(&GetFileVersionInfoSizeA)>(library, "GetFileVersionInfoSizeA");
    const auto getInfo = FindFunction<decltype(&GetFileVersionInfoA)>(library, "GetFileVersionInfoA");
    const auto queryValue = FindFunction<decltype(&VerQueryValueA)>(library, "VerQueryValueA");
    if (getSize == nullptr || getInfo == nullptr || queryValue == nullptr) {
        error = library == nullptr ? loadError : ERROR_PROC_NOT_FOUND;
        return 0;
    }

    std::string file;
    if (!PathAsAProcessStartTakesIt(path, file)) {
        error = ERROR_NO_UNICODE_TRANSLATION;
        return 0;
    }
    const DWORD size = getSize(file.c_str(), nullptr);
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
    if (!getInfo(file.c_str(), 0, size, &block[0])) {
        error = GetLastError();
        return 0;
    }
    // A damaged resource can lack its fixed part, or announce one that is shorter than the
    // structure or lies outside the block; reading it would read past the buffer. Such a
    // file has no readable version.
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

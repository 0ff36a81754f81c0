// The log file's platform side; see LogFile.h.
#include "LogFile.h"

#include "SystemLibrary.h"
#include "WinHandles.h"

#include <string>

namespace {
// The run's one log file, closed when the process ends.
UniqueHandle& TheLogFile()
{
    static UniqueHandle file;
    return file;
}
} // namespace

bool ReadTemporaryFolder(WideText& folder, unsigned long& error)
{
    using TempPathFunction = DWORD(WINAPI*)(DWORD, LPWSTR);
    static const auto tempPath2 = FindFunction<TempPathFunction>(GetModuleHandleA("kernel32.dll"), "GetTempPath2W");
    const TempPathFunction tempPath = tempPath2 != nullptr ? tempPath2 : &GetTempPathW;
    // The answer holds at most MAX_PATH + 1 characters and its zero.
    folder.assign(MAX_PATH + 2, L'\0');
    const DWORD length = tempPath(static_cast<DWORD>(folder.size()), folder.data());
    error = GetLastError();
    folder.resize(length < folder.size() ? length : 0);
    return !folder.empty();
}

NewFile CreateLogFile(const WideText& path, unsigned long& error)
{
    WideText name = path;
    name.push_back(L'\0');
    // CREATE_NEW never opens an existing file; FILE_FLAG_OPEN_REPARSE_POINT makes a link or
    // junction of that name count as existing instead of creating the file it points to.
    const HANDLE created = CreateFileW(name.data(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (created == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        // Whatever stands there (a folder answers "access denied") is left alone.
        return GetFileAttributesW(name.data()) != INVALID_FILE_ATTRIBUTES ? NewFile::Taken : NewFile::Failed;
    }
    TheLogFile().reset(created);
    return NewFile::Created;
}

bool WriteLogFile(const std::string& bytes, unsigned long& error)
{
    DWORD written = 0;
    if (!WriteFile(TheLogFile().get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        error = GetLastError();
        return false;
    }
    return true;
}

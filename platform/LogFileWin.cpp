// The log file's platform side; see LogFile.h.
#include "LogFile.h"

#include "Win32.h"

namespace {
UniqueHandle theLogFile; // the run's one log file, closed when the process ends
} // namespace

bool ReadTemporaryFolder(WideText& folder, unsigned long& error)
{
    using TempPathFunction = DWORD(WINAPI*)(DWORD, LPWSTR);
    const auto tempPath2 = SystemFunction<TempPathFunction>("kernel32.dll", "GetTempPath2W", error);
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
    // CREATE_NEW opens nothing there; with FILE_FLAG_OPEN_REPARSE_POINT a link counts as there.
    // Delete access lets an empty log go by its handle; a folder that lets files be made but
    // not removed refuses it, and still gets its log.
    HANDLE created = INVALID_HANDLE_VALUE;
    for (const DWORD access : {DWORD{GENERIC_WRITE | DELETE}, DWORD{GENERIC_WRITE}}) {
        created = CreateFileW(name.data(), access, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        error = GetLastError();
        if (created != INVALID_HANDLE_VALUE || error != ERROR_ACCESS_DENIED) {
            break;
        }
    }
    if (created == INVALID_HANDLE_VALUE) {
        // Whatever stands there (a folder answers "access denied") is left alone.
        return GetFileAttributesW(name.data()) != INVALID_FILE_ATTRIBUTES ? NewFile::Taken : NewFile::Failed;
    }
    theLogFile.reset(created);
    return NewFile::Created;
}

bool WriteLogFile(const std::string& bytes, unsigned long& error)
{
    DWORD written = 0;
    if (!WriteFile(theLogFile.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        error = GetLastError();
        return false;
    }
    return true;
}

bool CloseLogFile(bool remove, unsigned long& error)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    const bool removed =
        !remove || SetFileInformationByHandle(theLogFile.get(), FileDispositionInfo, &disposition, sizeof disposition);
    error = removed ? error : GetLastError();
    theLogFile.reset();
    return removed;
}

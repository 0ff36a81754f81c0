// The network form of a path on a mapped drive; see NetworkPath.h.
#include "NetworkPath.h"

#include "AnsiPath.h"
#include "GrowingBuffer.h"
#include "SystemLibrary.h"

#include <winnetwk.h>

#include <cwchar>

NetworkForm NetworkFormOf(const std::string& path, std::string& network, unsigned long& error)
{
    if (path.size() < 2 || path[1] != ':') {
        return NetworkForm::NotNetwork;
    }
    const char root[] = {path[0], ':', '\\', '\0'};
    if (GetDriveTypeA(root) != DRIVE_REMOTE) {
        return NetworkForm::NotNetwork;
    }
    // The load's own error, kept with it: by a later call the system's last error is another's.
    static unsigned long loadError = ERROR_SUCCESS;
    static const HMODULE mpr = LoadSystemLibrary("mpr.dll", loadError);
    if (mpr == nullptr) {
        error = loadError;
        return NetworkForm::Unavailable;
    }
    const auto universalName = FindFunction<decltype(&WNetGetUniversalNameW)>(mpr, "WNetGetUniversalNameW");
    if (universalName == nullptr) {
        error = ERROR_PROC_NOT_FOUND;
        return NetworkForm::Unavailable;
    }
    WideText wide = AnsiToWide(path);
    wide.push_back(L'\0');
    // The answer is a structure that points into the same buffer, behind it; the name is
    // taken out of it before the buffer goes.
    WideText universal;
    error = NO_ERROR;
    ReadGrowing(
        [&](wchar_t* buffer, std::size_t capacity) -> std::size_t {
            DWORD size = static_cast<DWORD>(capacity * sizeof(wchar_t));
            error = universalName(wide.data(), UNIVERSAL_NAME_INFO_LEVEL, buffer, &size);
            if (error == ERROR_MORE_DATA) {
                return size / sizeof(wchar_t) + 1;
            }
            if (error == NO_ERROR) {
                const wchar_t* name = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer)->lpUniversalName;
                universal.assign(name, name + std::wcslen(name));
            }
            return 0;
        },
        MAX_PATH * 2);
    if (error != NO_ERROR) {
        return NetworkForm::Unavailable;
    }
    if (!AnsiPathName(universal, network)) {
        error = ERROR_NO_UNICODE_TRANSLATION;
        return NetworkForm::Unavailable;
    }
    return NetworkForm::Found;
}

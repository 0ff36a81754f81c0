// The network form of a path on a mapped drive; see NetworkPath.h.
#include "NetworkPath.h"

#include "AnsiPath.h"
#include "SystemLibrary.h"

#include <winnetwk.h>

#include <cwchar>
#include <vector>

NetworkForm NetworkFormOf(const std::string& path, std::string& network, unsigned long& error)
{
    if (path.size() < 2 || path[1] != ':') {
        return NetworkForm::NotNetwork;
    }
    const char root[] = {path[0], ':', '\\', '\0'};
    if (GetDriveTypeA(root) != DRIVE_REMOTE) {
        return NetworkForm::NotNetwork;
    }
    static const HMODULE mpr = LoadSystemLibrary("mpr.dll");
    const auto universalName = FindFunction<decltype(&WNetGetUniversalNameW)>(mpr, "WNetGetUniversalNameW");
    if (universalName == nullptr) {
        error = GetLastError();
        return NetworkForm::Unavailable;
    }
    WideText wide = AnsiToWide(path);
    wide.push_back(L'\0');
    // The answer is a structure that points into the same buffer, behind it.
    std::vector<wchar_t> buffer(MAX_PATH * 2);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        error = universalName(wide.data(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
        if (error == ERROR_MORE_DATA) {
            buffer.resize(size / sizeof(wchar_t) + 1);
            continue;
        }
        if (error != NO_ERROR) {
            return NetworkForm::Unavailable;
        }
        const wchar_t* name = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer.data())->lpUniversalName;
        const WideText universal(name, name + wcslen(name));
        if (!AnsiPathName(universal, network)) {
            error = ERROR_NO_UNICODE_TRANSLATION;
            return NetworkForm::Unavailable;
        }
        return NetworkForm::Found;
    }
}

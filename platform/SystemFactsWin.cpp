// The Windows version, its bitness and the launcher's rights, from kernel32 and advapi32,
// which the launcher imports anyway; see SystemFacts.h.
#include "SystemFacts.h"

#include "WinHandles.h"

WindowsVersion ReadWindowsVersion()
{
    WindowsVersion version;
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    // Deprecated for deciding anything, but reporting is what it is for: with the embedded
    // manifest it gives the true version up to Windows 10 and 11.
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    if (GetVersionExA(&info)) {
        version = {true, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
    }
    return version;
}

Answer IsWindows64Bit()
{
#ifdef _WIN64
    return Answer::Yes;
#else
    // A 32-bit program on 64-bit Windows runs under WOW64, and reads the 32-bit registry view.
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64)) {
        return Answer::Unknown;
    }
    return wow64 ? Answer::Yes : Answer::No;
#endif
}

TokenFacts ReadTokenFacts()
{
    TokenFacts facts;
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) {
        return facts;
    }
    const UniqueHandle token(opened);
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    TOKEN_ELEVATION elevation{};
    DWORD length = 0;
    facts.opened = GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &length) &&
                   GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &length);
    facts.elevationType = type;
    facts.elevated = elevation.TokenIsElevated != 0;
    return facts;
}

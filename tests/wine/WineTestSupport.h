// What the Windows tests share, and a fixture for the stand-in installer's report.
#pragma once

#include "kit/KitMarks.h"
#include "launcher/LaunchSequence.h"
#include "launcher/UninstallerDiscovery.h"
#include "platform/Text.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A function of a system library, or null.
template <typename Function>
Function TestFunction(const char* library, const char* function)
{
    unsigned long error = 0;
    return SystemFunction<Function>(library, function, error);
}

// Wine says so through an export of its own.
inline bool RunsUnderWine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Wine names a file outside ASCII only under a UTF-8 host locale, which a root shell often lacks.
inline bool CannotNameNonAsciiFiles()
{
    const std::wstring probe = (std::filesystem::temp_directory_path() / L"quorvane-\u0141\u00F3d\u017A").wstring();
    const bool made = CreateDirectoryW(probe.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    RemoveDirectoryW(probe.c_str());
    return RunsUnderWine() && !made;
}
#define SKIP_WHERE_WINE_CANNOT_NAME_NON_ASCII()                                                                        \
    if (CannotNameNonAsciiFiles())                                                                                     \
    GTEST_SKIP() << "Wine names a file outside ASCII only on a host whose locale is UTF-8 (LANG or LC_ALL such as "    \
                    "C.UTF-8); this host's is not"

// Text as the launcher converts it, in the forms the system's wide calls take.
inline std::wstring Wide(const std::string& ansi)
{
    const WideText wide = AnsiToWide(ansi);
    return {wide.begin(), wide.end()};
}

inline std::string Narrow(const std::wstring& wide, unsigned codePage = CP_ACP)
{
    std::string text;
    WideToAnsi(wide.data(), wide.size(), codePage, text);
    return text;
}

// The Windows version as Windows itself reports it, whatever a program's manifest declares.
inline std::string WindowsVersionAsReported()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    TestFunction<LONG(WINAPI*)(OSVERSIONINFOW*)>("ntdll.dll", "RtlGetVersion")(&info);
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
           std::to_string(info.dwBuildNumber);
}

// The next handle value: a call that leaves a handle open takes it (Wine counts no handles).
inline HANDLE NextHandle()
{
    const HANDLE next = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(next);
    return next;
}

inline std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A fresh scratch folder and the stand-in's environment: QUORVANE_REPORT names its report, QUORVANE_EXIT its exit
// code, QUORVANE_MARK a variable it must inherit.
class ReportingChildTest : public ::testing::Test {
protected:
    ReportingChildTest()
    {
        std::filesystem::create_directory(Wide(scratch_));
        SetEnvironmentVariableA("QUORVANE_REPORT", report_.c_str());
        SetEnvironmentVariableA("QUORVANE_MARK", "inherited");
        SetChildExit("0");
    }
    ~ReportingChildTest() override
    {
        SetCurrentDirectoryA(previousFolder_.c_str());
        RemoveTree(Wide(scratch_.substr(0, scratch_.size() - 1)));
    }
    // A copy of a test program under the scratch folder (wide: no name is split at a second byte).
    std::string Place(const std::string& program, const std::string& relativePath) const
    {
        PlaceWide(program, Wide(scratch_ + relativePath));
        return scratch_ + relativePath;
    }
    static void PlaceWide(const std::string& program, const std::wstring& path)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        EXPECT_TRUE(CopyFileW(Wide(GetModuleDirectory() + program).c_str(), path.c_str(), FALSE));
    }
    // A field of the stand-in's last report ("cmdline", "module", "cwd", ...), or "<missing>".
    std::string Report(const std::string& field) const
    {
        const std::string lines = "\n" + ReadWholeFile(report_);
        const std::size_t found = lines.find("\n" + field + "=");
        const std::size_t start = found + field.size() + 2;
        return found == std::string::npos ? "<missing>" : lines.substr(start, lines.find('\n', start) - start);
    }
    void ForgetReport() const { DeleteFileA(report_.c_str()); }
    static void SetChildExit(const char* code) { SetEnvironmentVariableA("QUORVANE_EXIT", code); }
    static inline unsigned tests_ = 0;
    const std::string scratch_ =
        (std::filesystem::temp_directory_path() / ("quorvane-" + std::to_string(++tests_))).string() +
        "\\"; // ends in a backslash
    const std::string report_ = scratch_ + "report.txt";
    const std::string previousFolder_ = std::filesystem::current_path().string();
};

// Helpers for the Wine tests; see WineTestSupport.h.
#include "WineTestSupport.h"

#include <fstream>
#include <sstream>

std::string TestProgramDirectory()
{
    char path[MAX_PATH * 4] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string directory = path;
    return directory.substr(0, directory.find_last_of('\\') + 1);
}

namespace {
// Wide calls with the \\?\ prefix, so that folders deeper than MAX_PATH go too.
void RemoveTree(const std::wstring& directory)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((directory + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(directory + name + L"\\");
            } else {
                SetFileAttributesW((directory + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW((directory + name).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(directory.c_str());
}
} // namespace

ScratchDirectory::ScratchDirectory()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    static unsigned counter = 0;
    path_ = std::string(temp) + "quorvane-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount()) + "-" + std::to_string(++counter) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDirectory::~ScratchDirectory()
{
    RemoveTree(L"\\\\?\\" + Wide(path_));
}

std::wstring Wide(const std::string& text)
{
    if (text.empty()) {
        return std::wstring();
    }
    std::wstring wide(text.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                           static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

DWORD OpenHandles()
{
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void WriteWholeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

std::string ReportField(const std::string& report, const std::string& name)
{
    const std::string lines = "\n" + report;
    const std::size_t found = lines.find("\n" + name + "=");
    if (found == std::string::npos) {
        return "<missing>";
    }
    const std::size_t start = found + name.size() + 2;
    return lines.substr(start, lines.find('\n', start) - start);
}

// A stand-in for a product's uninstaller, which the launcher starts as installer: the
// demonstration's, and the tests' in several versions. It writes how it was started, its
// process id, its error mode and what the setup.cfg it was pointed at holds to the file named by QUORVANE_REPORT, one
// "name=value" line each, runs for QUORVANE_SLEEP_MS and exits with QUORVANE_EXIT (0 when not set). Its own file and
// current folder are written in UTF-8, so that a name outside the code page is reported as it is, not as a look-alike.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {
std::string Variable(const char* name)
{
    char value[MAX_PATH * 4] = {};
    return std::string(value, GetEnvironmentVariableA(name, value, sizeof value) % sizeof value);
}

std::string Utf8(const wchar_t* wide)
{
    char text[MAX_PATH * 8] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}
} // namespace

int main()
{
    const std::string commandLine = GetCommandLineA();
    const std::size_t switchAt = commandLine.find("/config=\"");
    const std::size_t from = switchAt == std::string::npos ? commandLine.size() : switchAt + 9;
    const std::string config = commandLine.substr(from, commandLine.find('"', from) - from);
    std::ostringstream content;
    content << std::ifstream(config, std::ios::binary).rdbuf();
    std::string setup = content.str();
    for (std::size_t pos; (pos = setup.find("\r\n")) != std::string::npos;) {
        setup.replace(pos, 2, " | ");
    }
    wchar_t module[MAX_PATH * 4] = {};
    wchar_t directory[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH * 4);
    GetCurrentDirectoryW(MAX_PATH * 4, directory);
    if (FILE* report = std::fopen(Variable("QUORVANE_REPORT").c_str(), "wb")) {
        std::fprintf(report, "cmdline=%s\nmodule=%s\ncwd=%s\nmark=%s\nconfig=%s\nsetup.cfg=%s\npid=%lu\nerrormode=%u\n",
                     commandLine.c_str(), Utf8(module).c_str(), Utf8(directory).c_str(),
                     Variable("QUORVANE_MARK").c_str(), config.c_str(), setup.c_str(), GetCurrentProcessId(),
                     GetErrorMode());
        std::fclose(report);
    }
    Sleep(std::strtoul(Variable("QUORVANE_SLEEP_MS").c_str(), nullptr, 0));
    ExitProcess(std::strtoul(Variable("QUORVANE_EXIT").c_str(), nullptr, 0));
}

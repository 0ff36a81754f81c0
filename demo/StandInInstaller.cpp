// A stand-in for a product's uninstaller, which the launcher starts as installer: the
// demonstration's, and the tests' in several versions. It writes how it was started and
// what the setup.cfg it was pointed at holds to the file named by QUORVANE_REPORT, one
// "name=value" line each, runs for QUORVANE_SLEEP_MS and exits with QUORVANE_EXIT (0 when
// not set).
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
    char module[MAX_PATH * 4] = {};
    char directory[MAX_PATH * 4] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    GetCurrentDirectoryA(sizeof directory, directory);
    if (FILE* report = std::fopen(Variable("QUORVANE_REPORT").c_str(), "wb")) {
        std::fprintf(report, "cmdline=%s\nmodule=%s\ncwd=%s\nmark=%s\nconfig=%s\nsetup.cfg=%s\n", commandLine.c_str(),
                     module, directory, Variable("QUORVANE_MARK").c_str(), config.c_str(), setup.c_str());
        std::fclose(report);
    }
    Sleep(std::strtoul(Variable("QUORVANE_SLEEP_MS").c_str(), nullptr, 0));
    ExitProcess(std::strtoul(Variable("QUORVANE_EXIT").c_str(), nullptr, 0));
}

// The demonstration's installer: stands in for a product's uninstaller (it carries file
// version 1.2.3.9), reads the setup.cfg it was pointed at and writes what it got to the
// file named by QUORVANE_DEMO_REPORT.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

int main()
{
    const std::string commandLine = GetCommandLineA();
    std::string config = "(no /config= switch)";
    std::string content;
    const std::size_t start = commandLine.find("/config=\"");
    if (start != std::string::npos) {
        const std::size_t from = start + 9;
        config = commandLine.substr(from, commandLine.find('"', from) - from);
        std::ifstream file(config, std::ios::binary);
        if (file) {
            std::ostringstream text;
            text << file.rdbuf();
            content = text.str();
        }
    }
    const int exitCode = content.empty() ? 1 : 0;
    char reportPath[MAX_PATH * 4] = {};
    if (GetEnvironmentVariableA("QUORVANE_DEMO_REPORT", reportPath, sizeof reportPath) != 0) {
        if (FILE* report = std::fopen(reportPath, "wb")) {
            std::fprintf(report, "command line: %s\n", commandLine.c_str());
            std::fprintf(report, "setup.cfg:    %s (%s)\n", config.c_str(), content.empty() ? "not found" : "found");
            std::istringstream lines(content);
            for (std::string line; std::getline(lines, line);) {
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                }
                std::fprintf(report, "  | %s\n", line.c_str());
            }
            std::fprintf(report, "exit code:    %d\n", exitCode);
            std::fclose(report);
        }
    }
    return exitCode;
}

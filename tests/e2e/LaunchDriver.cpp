// Starts a program with an exact command line, reports its message boxes and its full
// exit code on standard output, closing each box with OK. For the demonstration.
// Usage: launch_driver PROGRAM COMMANDLINE-FILE [SCREENSHOT.bmp]
//        launch_driver --file-version FILE
// The command line is read from a file so that no shell or loader changes a byte of it.
#include "LaunchObserver.h"
#include "WineTestSupport.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {
std::string OneLine(const std::string& text)
{
    std::string line;
    for (char c : text) {
        line += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return line;
}
int FileVersion(const char* path)
{
    std::string block(GetFileVersionInfoSizeA(path, nullptr), '\0');
    void* value = nullptr;
    UINT length = 0;
    if (block.empty() || !GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), &block[0]) ||
        !VerQueryValueA(block.data(), "\\", &value, &length)) {
        std::printf("no version\n");
        return 1;
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    std::printf("%lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF,
                fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--file-version") {
        return FileVersion(argv[2]);
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: launch_driver PROGRAM COMMANDLINE-FILE [SCREENSHOT.bmp]\n");
        return 2;
    }
    std::ifstream file(argv[2], std::ios::binary);
    std::ostringstream commandLine;
    commandLine << file.rdbuf();

    LaunchOptions options;
    options.program = Wide(argv[1]);
    options.commandLine = Wide(commandLine.str());
    if (argc > 3) {
        options.screenshotBmp = argv[3];
    }
    const LaunchResult result = ObserveLaunch(options);
    if (!result.started) {
        std::printf("not started: error %lu\n", GetLastError());
        return 2;
    }
    for (const ObservedBox& box : result.boxes) {
        std::printf("box: title=\"%s\" icon=%s text=\"%s\"\n", box.title.c_str(), box.hasIcon ? "yes" : "no",
                    OneLine(box.text).c_str());
    }
    std::printf("exit code: %ld (0x%08lX)\n", static_cast<long>(static_cast<std::int32_t>(result.exitCode)),
                static_cast<unsigned long>(result.exitCode));
    return result.timedOut ? 3 : 0;
}

// The demonstration's driver: starts a program with an exact command line, reports its
// debug output, its message boxes and its full exit code on standard output, closing each
// box with OK, and can save a picture of the first box. With --unelevated it starts the
// program with the unelevated half of its own administrator's token, as a user without
// elevation would (the test command proves so that the test kit refuses such a user).
// Usage: launch_driver [--unelevated] PROGRAM COMMANDLINE-FILE [SCREENSHOT.bmp]
//        launch_driver --file-version FILE
// The command line is read from a file so that no shell or loader changes a byte of it.
#include "LaunchObserver.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {
std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                             &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

// A 24-bit bitmap of what the screen shows inside the window's rectangle.
bool SaveWindowPicture(HWND window, const std::string& path)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::string pixels(rowBytes * static_cast<DWORD>(height), '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), &pixels[0], reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

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
    HANDLE token = nullptr;
    if (argc > 1 && std::string(argv[1]) == "--unelevated") {
        token = UnelevatedToken();
        if (token == nullptr) {
            std::fprintf(stderr, "launch_driver: this system hands out no unelevated token (error %lu)\n",
                         GetLastError());
            return 2;
        }
        --argc;
        ++argv;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: launch_driver [--unelevated] PROGRAM COMMANDLINE-FILE [SCREENSHOT.bmp]\n");
        return 2;
    }
    std::ifstream file(argv[2], std::ios::binary);
    std::ostringstream commandLine;
    commandLine << file.rdbuf();

    LaunchOptions options;
    options.token = token;
    options.program = Wide(argv[1]);
    options.commandLine = Wide(commandLine.str());
    if (argc > 3) {
        const std::string picture = argv[3];
        options.onBox = [picture](HWND box) {
            static bool saved = false;
            if (!saved) {
                SetForegroundWindow(box);
                Sleep(400);
                saved = SaveWindowPicture(box, picture);
            }
        };
    }
    const LaunchResult result = ObserveLaunch(options);
    if (!result.started) {
        std::printf("not started: error %lu\n", GetLastError());
        return 2;
    }
    for (const std::string& line : result.debugOutput) {
        std::printf("debug output: %s\n", line.c_str());
    }
    for (const ObservedBox& box : result.boxes) {
        std::printf("box: title=\"%s\" icon=%s text=\"%s\"\n", box.title.c_str(), box.hasIcon ? "yes" : "no",
                    OneLine(box.text).c_str());
    }
    std::printf("exit code: %ld (0x%08lX)\n", static_cast<long>(static_cast<std::int32_t>(result.exitCode)),
                static_cast<unsigned long>(result.exitCode));
    return result.timedOut ? 3 : 0;
}

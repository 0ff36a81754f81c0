// Watching a launched program's message boxes; see LaunchObserver.h.
#include "LaunchObserver.h"

#include "WineTestSupport.h"

#include <cstdio>
#include <set>

namespace {
struct Search {
    DWORD processId;
    std::set<HWND>* seen;
    HWND found;
};

BOOL CALLBACK FindNewBox(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && std::string(className) == "#32770" && IsWindowVisible(window) &&
        search->seen->count(window) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string WindowText(HWND window)
{
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
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
} // namespace

LaunchResult ObserveLaunch(const LaunchOptions& options)
{
    LaunchResult result;
    std::wstring commandLine = options.commandLine;
    commandLine.push_back(L'\0');
    std::wstring desktop = options.desktop;
    desktop.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = options.desktop.empty() ? nullptr : &desktop[0];
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(options.program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        options.currentDirectory.empty() ? nullptr : options.currentDirectory.c_str(), &startup,
                        &process)) {
        return result;
    }
    result.started = true;
    std::set<HWND> seen;
    const DWORD started = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (GetTickCount() - started > options.timeoutMs) {
            TerminateProcess(process.hProcess, 0xDEAD);
            WaitForSingleObject(process.hProcess, INFINITE);
            result.timedOut = true;
            break;
        }
        Search search{process.dwProcessId, &seen, nullptr};
        EnumWindows(&FindNewBox, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) {
            continue;
        }
        HWND box = search.found;
        seen.insert(box);
        Sleep(100); // let the box finish painting
        char text[4096] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        const bool hasIcon = SendDlgItemMessageA(box, 0x0440, STM_GETICON, 0, 0) != 0;
        result.boxes.push_back({WindowText(box), text, hasIcon});
        if (result.boxes.size() == 1 && !options.screenshotBmp.empty()) {
            SetForegroundWindow(box);
            Sleep(400);
            SaveWindowPicture(box, options.screenshotBmp);
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    result.exitCode = exitCode;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

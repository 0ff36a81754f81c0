// What the tests make outside the kit's folder bears the kit's mark (test-kit.md lists them), and only what bears
// it is removed, never through a link: a product really installed here, or another's files, stay as they are.
#pragma once

#include "platform/Win32.h"

#include <shlobj.h>
#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>
#include <type_traits>

constexpr wchar_t kKitMarkValue[] = L"QuorvaneTestKit";
constexpr wchar_t kMarkFile[] = L"made by the Quorvane test kit.txt";
constexpr char kKitTask[] = "Quorvane Test Kit";
constexpr char kTestsKey[] = "SOFTWARE\\QuorvaneTests";
// The view a program of this build reads without asking for one.
constexpr REGSAM kOwnView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
// ERROR_REPARSE_POINT_ENCOUNTERED, which the MinGW headers lack: a folder to remove is itself a link.
constexpr DWORD kFolderIsALink = 4395;

// One owner for each key, search and system buffer; a key, handed to the caller, can be moved.
struct CloseKey {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using KitKey = std::unique_ptr<std::remove_pointer_t<HKEY>, CloseKey>;
using KitSearch = std::unique_ptr<void, HandleCloser<HANDLE, &FindClose>>;
using KitLocal = std::unique_ptr<void, HandleCloser<HLOCAL, &LocalFree>>;

// HKLM\subKey in view, made new with the kit's mark or the kit's own already there; empty where it cannot be
// made or marked (then it is deleted again), or where another's has that name.
inline KitKey CreateKitKey(const std::string& subKey, REGSAM view = KEY_WOW64_32KEY)
{
    HKEY made = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &made,
                        &disposition) != ERROR_SUCCESS) {
        return nullptr;
    }
    KitKey key(made);
    const wchar_t mark[] = L"made by the Quorvane test kit; run-tests.cmd --clean-up removes it";
    if (disposition == REG_OPENED_EXISTING_KEY
            ? RegQueryValueExW(made, kKitMarkValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS
            : RegSetValueExW(made, kKitMarkValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(mark), sizeof mark) ==
                  ERROR_SUCCESS) {
        return key;
    }
    key.reset();
    if (disposition == REG_CREATED_NEW_KEY) {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), view, 0);
    }
    return nullptr;
}

// Whether HKLM\subKey exists in view; marked tells whether it bears the kit's mark.
inline bool KeyExists(const std::string& subKey, REGSAM view, bool& marked)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) {
        return false;
    }
    const KitKey key(opened);
    marked = RegQueryValueExW(opened, kKitMarkValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    return true;
}

// Removes HKLM\subKey from view where it bears the kit's mark: 0, or the Windows error of the removal.
inline DWORD RemoveKitKey(const std::string& subKey, REGSAM view = KEY_WOW64_32KEY)
{
    bool marked = false;
    if (!KeyExists(subKey, view, marked) || !marked) {
        return ERROR_SUCCESS;
    }
    HKEY opened = nullptr;
    DWORD error = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_ALL_ACCESS | view, &opened);
    if (error == ERROR_SUCCESS) {
        const KitKey key(opened); // closed before the key itself is deleted
        error = RegDeleteTreeA(opened, nullptr);
    }
    return error != ERROR_SUCCESS ? error : RegDeleteKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), view, 0);
}

// The user's own variable (HKCU\Environment), which the system gives every process of that user, elevated too.
constexpr wchar_t kKitUserVariable[] = L"QUORVANE_KIT_USER";
inline bool UserVariableExists(bool& marked)
{
    wchar_t value[MAX_PATH * 4] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    const LSTATUS read = RegGetValueW(HKEY_CURRENT_USER, L"Environment", kKitUserVariable, RRF_RT_ANY | RRF_NOEXPAND,
                                      nullptr, value, &size);
    marked = read == ERROR_SUCCESS && std::wcsstr(value, kKitMarkValue) != nullptr;
    return read != ERROR_FILE_NOT_FOUND;
}

// Sets it to value, which bears the mark (empty: removes it), unless the user's own is there; true when it did.
inline bool SetKitUserVariable(const std::wstring& value)
{
    bool marked = false;
    const bool there = UserVariableExists(marked);
    return (!there || marked) &&
           (value.empty() ? there && RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Environment", kKitUserVariable) == 0
                          : RegSetKeyValueW(HKEY_CURRENT_USER, L"Environment", kKitUserVariable, REG_SZ, value.c_str(),
                                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == 0);
}

// Removes path, a folder with all it holds or a file: a link in it is removed itself, never what it leads to
// (the runtime's remove_all walks into them); a folder that is itself a link is left. 0, or the first error.
inline DWORD RemoveTree(const std::wstring& path, DWORD attributes = INVALID_FILE_ATTRIBUTES, bool inside = false)
{
    if (!inside && (attributes = GetFileAttributesW(path.c_str())) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
    }
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (link && folder && !inside) {
        return kFolderIsALink;
    }
    DWORD failed = 0;
    WIN32_FIND_DATAW entry;
    const HANDLE first = folder && !link ? FindFirstFileW((path + L"\\*").c_str(), &entry) : INVALID_HANDLE_VALUE;
    if (folder && !link && first == INVALID_HANDLE_VALUE) {
        return GetLastError(); // a folder that cannot be listed is left, with why
    }
    KitSearch found(first != INVALID_HANDLE_VALUE ? first : nullptr);
    for (BOOL more = found.get() != nullptr; more && failed == 0; more = FindNextFileW(first, &entry)) {
        const std::wstring name = entry.cFileName;
        failed = name == L"." || name == L".." ? 0 : RemoveTree(path + L"\\" + name, entry.dwFileAttributes, true);
    }
    found.reset(nullptr); // the folder is removed once nothing holds it
    if (!folder && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY); // else the deletion says why
    }
    if (failed == 0 && !(folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str()))) {
        failed = GetLastError();
    }
    return failed;
}

// The kit's folder in the system's Program Files for 32-bit programs, never a prompt's %ProgramFiles%; or empty.
inline std::wstring KitProgramFolder()
{
    PWSTR programFiles = nullptr;
    const HRESULT found = SHGetKnownFolderPath(FOLDERID_ProgramFilesX86, 0, nullptr, &programFiles);
    const std::wstring folder = SUCCEEDED(found) ? std::wstring(programFiles) + L"\\Quorvane Test Kit" : L"";
    CoTaskMemFree(programFiles);
    return folder;
}

inline bool BearsKitMark(const std::wstring& folder)
{
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    const DWORD mark = GetFileAttributesW((folder + L"\\" + kMarkFile).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == FILE_ATTRIBUTE_DIRECTORY &&
           mark != INVALID_FILE_ATTRIBUTES && (mark & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Made new, its mark first; the kit's own already there will do, another's never.
inline bool CreateKitProgramFolder()
{
    const std::wstring folder = KitProgramFolder();
    if (folder.empty() || !CreateDirectoryW(folder.c_str(), nullptr)) {
        return !folder.empty() && GetLastError() == ERROR_ALREADY_EXISTS && BearsKitMark(folder);
    }
    const HANDLE made = CreateFileW((folder + L"\\" + kMarkFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (made == INVALID_HANDLE_VALUE) {
        RemoveDirectoryW(folder.c_str());
        return false;
    }
    const UniqueHandle mark(made);
    const char text[] = "run-tests.cmd --clean-up removes this folder\r\n";
    DWORD written = 0;
    WriteFile(mark.get(), text, sizeof text - 1, &written, nullptr);
    return true;
}

inline DWORD RemoveKitProgramFolder()
{
    const std::wstring folder = KitProgramFolder();
    return BearsKitMark(folder) ? RemoveTree(folder) : ERROR_SUCCESS;
}

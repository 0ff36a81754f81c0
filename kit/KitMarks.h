// What the tests make outside the kit's folder carries the kit's mark, and only what bears it is
// ever removed; one of that name without it (a product really installed here) is left as it is.
// Keys hold the value QuorvaneTestKit, written right after the key is made; the folder under
// Program Files the file kMarkFile, written first; the task runs a script inside QUORVANE_KIT_WORK.
#pragma once

#include "WineTestSupport.h"

constexpr wchar_t kKitMarkValue[] = L"QuorvaneTestKit";
constexpr char kMarkFile[] = "made by the Quorvane test kit.txt";
constexpr char kKitTask[] = "Quorvane Test Kit";

// HKLM\subKey in view, made with the kit's mark, or the kit's own already there; null if it
// cannot be made, or if a key of that name is there without the mark (never marked as ours).
inline HKEY CreateKitKey(const std::string& subKey, REGSAM view = KEY_WOW64_32KEY)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                        &disposition) != ERROR_SUCCESS) {
        return nullptr;
    }
    if (disposition == REG_OPENED_EXISTING_KEY &&
        RegQueryValueExW(key, kKitMarkValue, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return nullptr;
    }
    const wchar_t mark[] = L"made by the Quorvane test kit; run-tests.cmd --clean-up removes it";
    RegSetValueExW(key, kKitMarkValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(mark), sizeof mark);
    return key;
}

// Whether HKLM\subKey exists in view, and whether it bears the kit's mark.
inline bool KeyExists(const std::string& subKey, REGSAM view, bool* marked = nullptr)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    if (marked != nullptr) {
        *marked = RegQueryValueExW(key, kKitMarkValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return true;
}

// Removes HKLM\subKey from view where it bears the kit's mark; true when it did.
inline bool RemoveKitKey(const std::string& subKey, REGSAM view = KEY_WOW64_32KEY)
{
    bool marked = false;
    HKEY key = nullptr;
    if (!KeyExists(subKey, view, &marked) || !marked ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegDeleteTreeA(key, nullptr);
    RegCloseKey(key);
    return RegDeleteKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), view, 0) == ERROR_SUCCESS;
}

// The kit's folder under the Program Files of this 32-bit program (Program Files (x86) on
// 64-bit Windows); empty where there is none.
inline std::string KitProgramFolder()
{
    char programFiles[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("ProgramFiles", programFiles, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? "" : std::string(programFiles) + "\\Quorvane Test Kit";
}

// Makes that folder with the kit's mark in it first.
inline bool CreateKitProgramFolder()
{
    const std::string folder = KitProgramFolder();
    CreateDirectoryA(folder.c_str(), nullptr);
    std::ofstream(folder + "\\" + kMarkFile) << "run-tests.cmd --clean-up removes this folder\n";
    return GetFileAttributesA((folder + "\\" + kMarkFile).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes that folder where it bears the kit's mark; false when one without it is left.
inline bool RemoveKitProgramFolder()
{
    const std::string folder = KitProgramFolder();
    if (GetFileAttributesA((folder + "\\" + kMarkFile).c_str()) == INVALID_FILE_ATTRIBUTES) {
        return GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
    }
    std::error_code failed;
    std::filesystem::remove_all(folder, failed);
    return !failed;
}

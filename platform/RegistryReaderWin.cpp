// Reading a string value from the registry in its wide form; see RegistryReader.h.
#include "RegistryReader.h"

#include <windows.h>

static_assert(kRegistryString == REG_SZ && kRegistryExpandableString == REG_EXPAND_SZ, "registry types");

#include <cstdlib>
#include <cwchar>

RegistryRead ReadRegistryString(RegistryRoot /*root: HKEY_LOCAL_MACHINE, the only one*/, const std::string& subKey,
                                const std::string& valueName, WideText& value, std::uint32_t& type)
{
    type = 0;
    value.clear();

    // Every failing step throws its reason to the one clean-up below, which releases
    // whatever was obtained; nothing leaves this routine but the result.
    RegistryRead result = RegistryRead::Failed;
    HKEY key = nullptr;
    wchar_t* buffer = nullptr;
    try {
        const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, &key);
        if (opened != ERROR_SUCCESS) {
            key = nullptr;
            throw opened == ERROR_FILE_NOT_FOUND ? RegistryRead::NoKey : RegistryRead::Failed;
        }
        const WideText name(valueName.c_str(), valueName.c_str() + valueName.size() + 1); // ASCII, with its zero
        DWORD valueType = 0;
        DWORD size = 0;
        const LONG queried = RegQueryValueExW(key, name.data(), nullptr, &valueType, nullptr, &size);
        if (queried != ERROR_SUCCESS) {
            throw queried == ERROR_FILE_NOT_FOUND ? RegistryRead::NoValue : RegistryRead::Failed;
        }
        type = valueType;
        if (valueType != REG_SZ && valueType != REG_EXPAND_SZ) {
            throw RegistryRead::NotAString;
        }
        // One zero character more than reported ends the text even when the stored value
        // has no terminating zero of its own, or an odd number of bytes.
        const std::size_t count = size / sizeof(wchar_t) + 2;
        buffer = static_cast<wchar_t*>(std::calloc(count, sizeof(wchar_t)));
        if (buffer == nullptr) {
            throw RegistryRead::Failed;
        }
        size = static_cast<DWORD>((count - 1) * sizeof(wchar_t));
        if (RegQueryValueExW(key, name.data(), nullptr, &valueType, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS) {
            throw RegistryRead::Failed; // it grew between the two reads
        }
        type = valueType;
        if (valueType != REG_SZ && valueType != REG_EXPAND_SZ) {
            throw RegistryRead::NotAString; // the value was replaced between the two reads
        }
        value.assign(buffer, buffer + wcsnlen(buffer, count));
        result = RegistryRead::Read;
    } catch (RegistryRead failure) {
        result = failure;
    } catch (...) {
        result = RegistryRead::Failed;
    }
    if (result != RegistryRead::Read) {
        value.clear();
    }
    std::free(buffer);
    if (key != nullptr) {
        RegCloseKey(key);
    }
    return result;
}

bool ExpandEnvironmentText(const WideText& text, WideText& expanded, unsigned long& error)
{
    WideText source = text;
    source.push_back(L'\0');
    expanded.assign(text.size() + 1, L'\0');
    for (;;) {
        // The answer counts the terminating zero, both when it fits and when it asks for more.
        const DWORD needed =
            ExpandEnvironmentStringsW(source.data(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (needed == 0) {
            error = GetLastError();
            expanded.clear();
            return false;
        }
        if (needed <= expanded.size()) {
            expanded.resize(needed - 1);
            return true;
        }
        expanded.resize(needed);
    }
}

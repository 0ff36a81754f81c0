// Reading a string value from the registry in its wide form; see RegistryReader.h.
#include "RegistryReader.h"

#include <windows.h>

static_assert(kRegistryString == REG_SZ && kRegistryExpandableString == REG_EXPAND_SZ, "registry types");

#include <cstdlib>
#include <cwchar>

RegistryRead ReadRegistryString(const std::string& subKey, const std::string& valueName, WideText& value,
                                std::uint32_t& type, unsigned long& error)
{
    type = 0;
    error = ERROR_SUCCESS;
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
            error = static_cast<unsigned long>(opened);
            throw opened == ERROR_FILE_NOT_FOUND ? RegistryRead::NoKey : RegistryRead::Failed;
        }
        WideText name = WidenAscii(valueName.c_str());
        name.push_back(L'\0');
        DWORD valueType = 0;
        DWORD size = 0;
        const LONG queried = RegQueryValueExW(key, name.data(), nullptr, &valueType, nullptr, &size);
        if (queried != ERROR_SUCCESS) {
            error = static_cast<unsigned long>(queried);
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
            error = ERROR_NOT_ENOUGH_MEMORY;
            throw RegistryRead::Failed;
        }
        size = static_cast<DWORD>((count - 1) * sizeof(wchar_t));
        const LONG read =
            RegQueryValueExW(key, name.data(), nullptr, &valueType, reinterpret_cast<BYTE*>(buffer), &size);
        if (read != ERROR_SUCCESS) {
            error = static_cast<unsigned long>(read); // ERROR_MORE_DATA: it grew between the two reads
            throw RegistryRead::Failed;
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
        error = ERROR_NOT_ENOUGH_MEMORY; // the value's name could not be had
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

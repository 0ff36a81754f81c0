// Reading a string value from the registry in its wide form; see RegistryReader.h.
#include "RegistryReader.h"

#include <windows.h>

#include <cwchar>

static_assert(kRegistryString == REG_SZ && kRegistryExpandableString == REG_EXPAND_SZ, "registry types");

RegistryRead ReadRegistryString(const std::string& subKey, const std::string& valueName, WideText& value,
                                std::uint32_t& type, unsigned long& error)
{
    type = 0;
    error = ERROR_SUCCESS;
    value.clear();
    // Every failing step throws its reason to the one clean-up below, which releases whatever
    // was obtained; nothing leaves this routine but the result.
    RegistryRead result = RegistryRead::Read;
    HKEY key = nullptr;
    try {
        const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, &key);
        if (opened != ERROR_SUCCESS) {
            key = nullptr;
            error = static_cast<unsigned long>(opened);
            throw opened == ERROR_FILE_NOT_FOUND ? RegistryRead::NoKey : RegistryRead::Failed;
        }
        WideText name = WidenAscii(valueName.c_str());
        name.push_back(L'\0');
        // Its size, then its text, in a buffer with one zero character more than reported, which
        // ends the text where the stored value has no zero of its own, or an odd number of bytes.
        WideText text;
        DWORD size = 0;
        for (BYTE* buffer = nullptr;; buffer = reinterpret_cast<BYTE*>(text.data())) {
            DWORD valueType = 0;
            const LONG read = RegQueryValueExW(key, name.data(), nullptr, &valueType, buffer, &size);
            if (read != ERROR_SUCCESS) {
                error = static_cast<unsigned long>(read); // ERROR_MORE_DATA: it grew between the reads
                throw buffer == nullptr && read == ERROR_FILE_NOT_FOUND ? RegistryRead::NoValue : RegistryRead::Failed;
            }
            type = valueType;
            if (valueType != REG_SZ && valueType != REG_EXPAND_SZ) {
                throw RegistryRead::NotAString; // also where it was replaced between the reads
            }
            if (buffer != nullptr) {
                break;
            }
            text.assign(size / sizeof(wchar_t) + 2, L'\0');
            size = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t));
        }
        value.assign(text.data(), text.data() + wcsnlen(text.data(), text.size()));
    } catch (RegistryRead failure) {
        result = failure;
    } catch (...) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        result = RegistryRead::Failed;
    }
    if (result != RegistryRead::Read) {
        value.clear();
    }
    if (key != nullptr) {
        RegCloseKey(key);
    }
    return result;
}

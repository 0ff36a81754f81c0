// Reading a string value from the registry with the ANSI calls; see RegistryReader.h.
#include "RegistryReader.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

bool ReadRegistryString(RegistryRoot /*root: HKEY_LOCAL_MACHINE, the only one*/, const std::string& subKey,
                        const std::string& valueName, std::string& value, std::uint32_t& type)
{
    type = 0;
    value.clear();

    // Every failing step throws to the one clean-up below, which releases whatever was
    // obtained; nothing leaves this routine but the result.
    bool ok = false;
    HKEY key = nullptr;
    char* buffer = nullptr;
    try {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            key = nullptr;
            throw 1;
        }
        DWORD valueType = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key, valueName.c_str(), nullptr, &valueType, nullptr, &size) != ERROR_SUCCESS) {
            throw 2;
        }
        type = valueType;
        if (valueType != REG_SZ && valueType != REG_EXPAND_SZ) {
            throw 3;
        }
        // One zero byte more than reported ends the text even when the stored value has
        // no terminating zero of its own.
        size += 1;
        buffer = static_cast<char*>(std::calloc(size, 1));
        if (buffer == nullptr) {
            throw 4;
        }
        if (RegQueryValueExA(key, valueName.c_str(), nullptr, &valueType, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS) {
            throw 5;
        }
        type = valueType;
        if (valueType != REG_SZ && valueType != REG_EXPAND_SZ) {
            throw 6; // the value was replaced between the two reads
        }
        value.assign(buffer, strnlen(buffer, size));
        ok = true;
    } catch (...) {
        value.clear();
    }
    std::free(buffer);
    if (key != nullptr) {
        RegCloseKey(key);
    }
    return ok;
}

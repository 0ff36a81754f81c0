// Reading one string value from the Windows registry.
#pragma once

#include <cstdint>
#include <string>

// The registry root the launcher reads from: the products register for the whole machine.
enum class RegistryRoot { LocalMachine };

// Reads valueName of root\subKey, opened with KEY_READ in the view the process sees by
// default. True when the value exists and is REG_SZ or REG_EXPAND_SZ; value then holds its
// text up to the first zero byte, unexpanded. False on anything else, with value empty.
// type is 0 or the type the registry reported.
bool ReadRegistryString(RegistryRoot root, const std::string& subKey, const std::string& valueName, std::string& value,
                        std::uint32_t& type);

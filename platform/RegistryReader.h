// Reading one string value from the Windows registry under HKEY_LOCAL_MACHINE, where the
// products register for the whole machine.
#pragma once

#include "TextConversion.h"

#include <cstdint>
#include <string>

// What a read found; everything but Read is a reason support wants to see.
enum class RegistryRead {
    Read, // a REG_SZ or REG_EXPAND_SZ value, read
    NoKey, // no such key in the view the process sees
    NoValue, // the key exists without the value
    NotAString, // the value has another type
    Failed, // the key or value could not be read (access denied, memory); error says why
};

// Reads valueName (plain ASCII) of HKEY_LOCAL_MACHINE\subKey, opened with KEY_READ in the
// view the process sees by default. The value is read in its wide form, as the system
// stores it: the ANSI call would hand out best-fit look-alikes for characters the code page
// lacks. On Read, value holds its text up to the first zero, unexpanded; otherwise value is
// empty. type is 0 or the type the registry reported; error is the system's error of a
// read that Failed.
RegistryRead ReadRegistryString(const std::string& subKey, const std::string& valueName, WideText& value,
                                std::uint32_t& type, unsigned long& error);

// The registry's types for a string value, as ReadRegistryString reports them.
constexpr std::uint32_t kRegistryString = 1; // REG_SZ
constexpr std::uint32_t kRegistryExpandableString = 2; // REG_EXPAND_SZ

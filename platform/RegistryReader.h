// Reading one string value under HKEY_LOCAL_MACHINE, where the products register.
#pragma once

#include "Text.h"

#include <cstdint>

// What a read found; everything but Read is a reason support wants to see.
enum class RegistryRead {
    Read, // a REG_SZ or REG_EXPAND_SZ value, read
    NoKey, // no such key in the view the process sees
    NoValue, // the key exists without the value
    NotAString, // the value has another type
    Failed, // the key or value could not be read (access denied, memory); error says why
};

// Reads valueName (ASCII) of HKEY_LOCAL_MACHINE\subKey in the process's own view, in its wide
// form as stored (the ANSI call would hand out best-fit look-alikes). On Read, value holds its
// text up to the first zero, unexpanded; else it is empty. type is 0 or the type read; error is
// the system's error of a read that Failed.
RegistryRead ReadRegistryString(const std::string& subKey, const std::string& valueName, WideText& value,
                                std::uint32_t& type, unsigned long& error);

constexpr std::uint32_t kRegistryString = 1; // REG_SZ
constexpr std::uint32_t kRegistryExpandableString = 2; // REG_EXPAND_SZ

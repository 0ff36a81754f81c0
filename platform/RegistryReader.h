// Reading one string value from the Windows registry.
#pragma once

#include "AnsiPath.h"

#include <cstdint>
#include <string>

// The registry root the launcher reads from: the products register for the whole machine.
enum class RegistryRoot { LocalMachine };

// What a read found; everything but Read is a reason support wants to see.
enum class RegistryRead {
    Read, // a REG_SZ or REG_EXPAND_SZ value, read
    NoKey, // no such key in the view the process sees
    NoValue, // the key exists without the value
    NotAString, // the value has another type
    Failed, // the key or value could not be read (access denied, memory)
};

// Reads valueName (plain ASCII) of root\subKey, opened with KEY_READ in the view the
// process sees by default. The value is read in its wide form, as the system stores it:
// the ANSI call would hand out best-fit look-alikes for characters the code page lacks.
// On Read, value holds its text up to the first zero, unexpanded; otherwise value is
// empty. type is 0 or the type the registry reported.
RegistryRead ReadRegistryString(RegistryRoot root, const std::string& subKey, const std::string& valueName,
                                WideText& value, std::uint32_t& type);

// The registry's types for a string value, as ReadRegistryString reports them.
constexpr std::uint32_t kRegistryString = 1; // REG_SZ
constexpr std::uint32_t kRegistryExpandableString = 2; // REG_EXPAND_SZ

// text with every %NAME% of a variable of the launcher's own environment replaced by its
// value, as the system expands a REG_EXPAND_SZ value; a name that is not set stays as
// written. However long the result grows. False, with the system's error, when the system
// cannot expand it.
bool ExpandEnvironmentText(const WideText& text, WideText& expanded, unsigned long& error);

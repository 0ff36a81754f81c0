// Reading the file version of an executable from its version resource.
#pragma once

#include <cstdint>
#include <string>

// dwFileVersionMS in the high 32 bits, dwFileVersionLS in the low 32 bits, so versions
// compare as plain unsigned numbers. 0 means no readable version.
using FileVersion64 = std::uint64_t;

// The file version of path, or 0 when the file is missing or has no readable version
// resource. A full path is handed to the system unchanged; a relative one is taken from
// the current directory, as a process start takes it, and never searched for (0 when the
// current directory has no name in the ANSI code page).
FileVersion64 GetFileVersion64(const std::string& path);

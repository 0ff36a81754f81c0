// Reading the file version of an executable from its version resource.
#pragma once

#include <cstdint>
#include <string>

// dwFileVersionMS in the high 32 bits, dwFileVersionLS in the low 32 bits, so versions
// compare as plain unsigned numbers. 0 means no readable version.
using FileVersion64 = std::uint64_t;

// The system's errors that mean a file has no version resource at all.
constexpr unsigned long kNoResourceSection = 1812; // ERROR_RESOURCE_DATA_NOT_FOUND
constexpr unsigned long kNoVersionResource = 1813; // ERROR_RESOURCE_TYPE_NOT_FOUND

// The file version of path; 0 when it cannot be read, with error set to why (the system's
// error; kNoResourceSection or kNoVersionResource for a file without a version resource,
// ERROR_INVALID_DATA for a damaged one). A full path is handed to the system unchanged; a
// relative one is taken from the current directory, as a process start takes it, and
// never searched for (ERROR_NO_UNICODE_TRANSLATION when the current directory has no name
// in the ANSI code page).
FileVersion64 GetFileVersion64(const std::string& path, unsigned long& error);

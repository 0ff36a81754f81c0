// The file version of an executable, from its version resource.
#pragma once

#include <cstdint>
#include <string>

// dwFileVersionMS in the high 32 bits, dwFileVersionLS in the low: versions compare as numbers.
// 0 means no readable version.
using FileVersion64 = std::uint64_t;

// The system's errors that mean a file has no version resource at all.
constexpr unsigned long kNoResourceSection = 1812; // ERROR_RESOURCE_DATA_NOT_FOUND
constexpr unsigned long kNoVersionResource = 1813; // ERROR_RESOURCE_TYPE_NOT_FOUND

// The file version of the file at fullPath (the loader that reads it would look for a relative
// path along the DLL search path); 0 with the error of the step that failed (ERROR_INVALID_DATA
// for a damaged resource). version.dll, no known DLL, is loaded from the system folder only.
FileVersion64 GetFileVersion64(const std::string& fullPath, unsigned long& error);

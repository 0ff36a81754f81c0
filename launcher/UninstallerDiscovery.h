// Finding the uninstaller of an installed Trelvo product. That program also serves as the
// installer the launcher starts, so it must be recent enough to understand setup.cfg.
#pragma once

#include "platform/AnsiText.h"
#include "platform/FileVersionReader.h"

#include <string>

// The Windows uninstall list under HKEY_LOCAL_MACHINE, ending in a backslash, and the
// products' subkeys under it, in the order they are tried.
extern const char* const kUninstallList;
extern const char* const ProductUninstallKeys[8];

// 1.2.3.9: older uninstallers cannot serve as installer.
constexpr FileVersion64 MinimumUninstallerVersion = 0x0001000200030009ULL;

inline bool IsUsableUninstallerVersion(FileVersion64 version)
{
    return version >= MinimumUninstallerVersion;
}

// The program path in front of the "/UNINSTALL" switch (found in any letter case, at a
// character boundary), kept byte for byte with the blank before the switch. False when
// the value has no such switch.
bool CutUninstallerCandidate(const std::string& uninstallString, const CodePage& codePage, std::string& candidate);

// Examines one product's uninstall entry; returns true only when it names an uninstaller
// of a usable version, with path set to the program as the entry names it and
// programFile to the file the runner starts for it, whose version was the one read. The
// entry's text is read as the system stores it; a program path the ANSI code page cannot
// hold is named by its short form, or not at all. Every entry passed over leaves a line in
// the debug output that says why; one that names a program too old or without a version
// also shows its box while Ctrl is held.
bool CheckUninstallEntry(const std::string& subkeyName, std::string& path, std::string& programFile);

// Tries the products in table order; true with path and programFile set at the first
// usable uninstaller, false with both untouched when none has one.
bool FindUninstaller(std::string& path, std::string& programFile);

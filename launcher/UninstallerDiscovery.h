// Finding the uninstaller of an installed Trelvo product. That program also serves as the
// installer the launcher starts, so it must be recent enough to understand setup.cfg.
#pragma once

#include "platform/Environment.h"
#include "platform/FileVersionReader.h"

// The Windows uninstall list under HKEY_LOCAL_MACHINE, ending in a backslash, and the products'
// subkeys under it, in the order they are tried.
extern const char* const kUninstallList;
extern const char* const ProductUninstallKeys[8];

// 1.2.3.9: older uninstallers cannot serve as installer.
constexpr FileVersion64 MinimumUninstallerVersion = 0x0001000200030009ULL;

inline bool IsUsableUninstallerVersion(FileVersion64 version)
{
    return version >= MinimumUninstallerVersion;
}

// The program path in front of the "/UNINSTALL" switch (found in any letter case, at a character
// boundary), kept byte for byte with the blank before the switch. False when there is no switch.
bool CutUninstallerCandidate(const std::string& uninstallString, const CodePage& codePage, std::string& candidate);

// A program path from the registry as AnsiPathName names it, or else its folder so named and its
// file name exactly (a name without extension has no short form). Blanks ending it stay.
bool AnsiProgramPath(const WideText& path, std::string& ansi);

// The program as its entry names it (the installer's first word), the file a start takes for it
// (as lines name it), and its full path: the one whose version was read, which both starts start.
struct Uninstaller {
    std::string path, file, fullPath;
};

// True when one product's entry names an uninstaller of a usable version. Every entry passed over
// leaves a line saying why; a program too old or without a version also a box while Ctrl is held.
bool CheckUninstallEntry(const std::string& subkeyName, Uninstaller& found);

// Tries the products in table order; true at the first usable uninstaller, false with found
// untouched when none has one.
bool FindUninstaller(Uninstaller& found);

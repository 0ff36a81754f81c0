// Names of files and folders in the ANSI code page. The system keeps them in wide form; the
// launcher's strings are ANSI. A name the code page cannot hold exactly must never become a
// best-fit look-alike (Ł as L, a full-width quote as a quote), which could name another file
// or folder: its short 8.3 form is taken instead, and where that does not fit either, there
// is no name and the step that needed one fails.
#pragma once

#include "TextConversion.h"

#include <string>

// The running executable's full path, from the system, however long; empty when it
// cannot be had.
WideText GetModulePathWide();

// The short 8.3 form of an existing path, from the system; empty when it has none.
WideText ShortPathForm(const WideText& path);

// path in the ANSI code page: exactly, or else its short form exactly. False when neither
// holds.
bool AnsiPathName(const WideText& path, std::string& ansi);

// The running executable's path: its folder as AnsiPathName names it, its file name with
// '?' for what the code page lacks (only the folder names other files). False when the
// folder has no name.
bool AnsiModulePath(const WideText& modulePath, std::string& ansi);

// A program path read from the registry, for a start and a version read: the whole path as
// AnsiPathName names it, or else its folder so named and its file name exactly (a name
// without extension, completed only when started, has no short form of its own). Blanks
// ending path stay as they are. False when neither holds: a look-alike could name another
// program.
bool AnsiProgramPath(const WideText& path, std::string& ansi);

// The current directory, as AnsiPathName names it. False when it has no name.
bool GetCurrentDirectoryAnsi(std::string& directory);

// The full path of path, a relative one taken from the current directory, as a process
// start resolves it (blanks and dots ending it are dropped), named as AnsiPathName names
// it. False when it has no name; a file that does not exist has no short form.
bool GetFullPathAnsi(const std::string& path, std::string& full);

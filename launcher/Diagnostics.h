// How the launcher reports: error boxes, and information boxes shown only while Ctrl is
// held so that whoever debugs a launch can follow each step. No box at all where nobody
// could see it and close it.
#pragma once

#include <string>

// Shown when no product has a usable uninstaller.
extern const char* const kNotFoundMessage;
// Shown when the launcher's folder cannot be named in the ANSI code page, so the
// installer could not be pointed at its setup.cfg.
extern const char* const kFolderNameMessage;

// Shows text in the error box and ends the process with exit code -1.
[[noreturn]] void ShowFatalError(const std::string& text);

// Shows text in an information box if Ctrl is down right now (bit 7 of its key state);
// returns the box's result, or 1 when nothing was shown.
int ShowDebugInfo(const std::string& text);

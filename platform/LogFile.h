// The system's side of the log file every run leaves: the account's temporary folder it
// goes to by default, and the one file itself, created new and written line by line. Its
// name, folder and lines are the launcher's (launcher/RunLog.h).
#pragma once

#include "TextConversion.h"

#include <string>

// The temporary folder of the account that runs the launcher, ending in a backslash:
// GetTempPath2W where the system has it (it gives SYSTEM a folder of its own, which users
// cannot write to), else GetTempPathW. False with the system's error when there is none.
bool ReadTemporaryFolder(WideText& folder, unsigned long& error);

enum class NewFile {
    Created, // the run's log file, open for writing
    Taken, // something of that name is there already (a file, folder, link or junction)
    Failed, // error tells why
};

// Creates path as the run's log file. Never opens what is already there, nor follows a link
// or junction of that name to another file: a folder that others can write to cannot point
// the launcher's writes elsewhere. The file is not handed on to the installer, and others
// may read it while the launcher runs.
NewFile CreateLogFile(const WideText& path, unsigned long& error);

// Appends bytes to the log file at once, so that a run that hangs or is killed leaves every
// line written until then. False with the system's error when they could not be written.
bool WriteLogFile(const std::string& bytes, unsigned long& error);

// The system's side of the run's log (launcher/Diagnostics.h): the temporary folder, where it
// goes by default, and the one file, created new and written line by line.
#pragma once

#include "Text.h"

// The account's temporary folder, ending in a backslash: GetTempPath2W where the system has it
// (it gives SYSTEM a folder users cannot write to), else GetTempPathW. False with the error.
bool ReadTemporaryFolder(WideText& folder, unsigned long& error);

enum class NewFile {
    Created, // the run's log file, open for writing
    Taken, // something of that name is there already (a file, folder, link or junction)
    Failed, // error tells why
};

// Creates path as the log. Never opens what is there, nor follows a link or junction of that
// name: a folder others can write to cannot point the launcher's writes elsewhere. Not handed
// on to the installer; others may read it while the launcher runs.
NewFile CreateLogFile(const WideText& path, unsigned long& error);

// Appends bytes at once, so that a run that hangs or is killed leaves every line written until
// then. False with the system's error.
bool WriteLogFile(const std::string& bytes, unsigned long& error);

// Closes the log at once; with remove the file goes too, by its handle: never a file that
// another put under its name. False, with the system's error, where it was to go and could
// not (a log opened without delete access).
bool CloseLogFile(bool remove, unsigned long& error);

// The system's side of the log file every run leaves: the environment it is chosen from
// (a variable, the account's temporary folder, the time, the process id), and the one file
// itself, created new and written line by line. The choice and the lines are the
// launcher's (launcher/RunLog.h).
#pragma once

#include "AnsiPath.h"

#include <string>

// The local date and time, to the millisecond.
struct LocalTime {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};
LocalTime ReadLocalTime();

unsigned long ReadProcessId();

// An environment variable of the launcher's own environment; false when it is not set.
bool ReadEnvironmentVariable(const char* name, WideText& value);

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

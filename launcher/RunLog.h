// The log file every run leaves, for the runs nobody watches: a deployment agent's silent
// start as SYSTEM, at night, on hundreds of machines. It holds exactly the lines of the
// debug output, each after the local date and time, in UTF-8 with a byte-order mark so
// that any folder name reads right whatever the code page. Nothing about it changes the
// launch: a log that cannot be made or written costs a line of debug output, no more.
#pragma once

#include "platform/LogFile.h"

#include <string>

// Creates the run's log file in the folder the environment variable QUORVANE_LOG names
// ("off": no log), else in the account's temporary folder, as a new file named
// Quorvane-<date>-<time>-<process id>.log; where that name is taken, the same with -2, -3,
// ... before ".log". Returns what the opening line tells of it: its path, or why there is
// none.
std::string StartLog();

// Writes one line of the debug output (as TraceStep makes it, with its line feed) to the
// log. The first line that cannot be written ends the log, and the debug output says why.
void WriteToLog(const std::string& debugLine);

// The log file's name for a run started at time, for the given try (1: the first).
WideText LogFileName(const LocalTime& time, unsigned long processId, unsigned attempt);

// A line of the log: "2026-12-07 14:13:44.123 ", then debugLine with a CR LF for its LF.
std::string LogLine(const LocalTime& time, const std::string& debugLine);

// The log file every run leaves, for the runs nobody watches: a deployment agent's silent
// start as SYSTEM, at night, on hundreds of machines. It holds exactly the lines of the
// debug output, each after the local date and time, in UTF-8 with a byte-order mark, so
// that it reads the same on the machine support opens it on (a name the system's code page
// lacks is '?' or its short form there too, as in the debug output). Nothing about it
// changes what the launch does: a log that cannot be made tells why in the opening line,
// one that stops taking lines in a line of debug output.
#pragma once

#include "platform/Clock.h"
#include "platform/TextConversion.h"

#include <string>

// Creates the run's log file in the folder the environment variable QUORVANE_LOG names
// ("off": no log), else in the account's temporary folder, as a new file named
// Quorvane-<date>-<time>-<process id>.log; where that name is taken, the same with -2, -3,
// ... before ".log". Returns what the opening line tells of it: its path, or why there is
// none.
std::string StartLog();

// Writes one line of the debug output (as TraceStep makes it, with its line feed) to the
// log, if there is one. False for the first line that cannot be written, which ends the
// log: failure then says why, for the debug output.
bool WriteToLog(const std::string& debugLine, std::string& failure);

// The log file's name for a run started at time, for the given try (1: the first).
WideText LogFileName(const LocalTime& time, unsigned long processId, unsigned attempt);

// A line of the log: "2026-12-07 14:13:44.123 ", then debugLine with a CR LF for its LF.
std::string LogLine(const LocalTime& time, const std::string& debugLine);

// The run's log file; see RunLog.h.
#include "RunLog.h"

#include "platform/AnsiText.h"
#include "platform/Environment.h"
#include "platform/LogFile.h"
#include "platform/ProcessControl.h"
#include "platform/SystemError.h"

namespace {
// The names tried before the log is given up: only a folder that someone filled with
// look-alike names on purpose holds more.
constexpr unsigned kNamesTried = 100;

struct LogState {
    bool open = false;
    WideText path;
};

LogState& TheLog()
{
    static LogState log;
    return log;
}

std::string PathText(const WideText& path)
{
    std::string ansi;
    WideToAnsi(path.data(), path.size(), 0, ansi);
    return ansi;
}

// "<path> could not be <done> (Windows error <error>)"
std::string Failure(const WideText& path, const char* done, unsigned long error)
{
    return Join({PathText(path), " could not be ", done, " (", WindowsError(error), ")"});
}
} // namespace

WideText LogFileName(const LocalTime& time, unsigned long processId, unsigned attempt)
{
    std::string name = "Quorvane-";
    AppendNumber(name, time.year, 4);
    AppendNumber(name, time.month, 2);
    AppendNumber(name, time.day, 2);
    name += '-';
    AppendNumber(name, time.hour, 2);
    AppendNumber(name, time.minute, 2);
    AppendNumber(name, time.second, 2);
    name += '-';
    AppendNumber(name, processId);
    if (attempt > 1) {
        name += '-';
        AppendNumber(name, attempt);
    }
    name += ".log";
    return WidenAscii(name.c_str());
}

std::string LogLine(const LocalTime& time, const std::string& debugLine)
{
    std::string line;
    line.reserve(debugLine.size() + 25);
    const unsigned parts[] = {time.year, time.month, time.day, time.hour, time.minute, time.second, time.millisecond};
    const char after[] = "-- ::. ";
    for (std::size_t part = 0; part < 7; ++part) {
        AppendNumber(line, parts[part], part == 0 ? 4 : part == 6 ? 3 : 2);
        line += after[part];
    }
    line.append(debugLine, 0, !debugLine.empty() && debugLine.back() == '\n' ? debugLine.size() - 1 : debugLine.size());
    return line += "\r\n";
}

std::string StartLog()
{
    TheLog() = {};
    WideText folder;
    unsigned long error = 0;
    if (ReadEnvironmentVariable("QUORVANE_LOG", folder) && !folder.empty()) {
        if (EnvironmentValueIs(folder, "off")) {
            return "off (QUORVANE_LOG=off)";
        }
        if (folder.back() != L'\\' && folder.back() != L'/') {
            folder.push_back(L'\\');
        }
    } else if (!ReadTemporaryFolder(folder, error)) {
        return Join({"none, no temporary folder (", WindowsError(error), ")"});
    }
    const LocalTime started = ReadLocalTime();
    const unsigned long processId = ReadProcessId();
    WideText path;
    for (unsigned attempt = 1; attempt <= kNamesTried; ++attempt) {
        path = folder;
        const WideText name = LogFileName(started, processId, attempt);
        path.insert(path.end(), name.begin(), name.end());
        const NewFile created = CreateLogFile(path, error);
        if (created == NewFile::Taken) {
            continue;
        }
        if (created == NewFile::Failed) {
            return "none, " + Failure(path, "created", error);
        }
        if (!WriteLogFile("\xEF\xBB\xBF", error)) {
            return "none, " + Failure(path, "written", error);
        }
        TheLog() = {true, path};
        return PathText(path);
    }
    return Join({"none, every name up to ", PathText(path), " is taken"});
}

bool WriteToLog(const std::string& debugLine, std::string& failure)
{
    LogState& log = TheLog();
    unsigned long error = 0;
    if (!log.open || WriteLogFile(AnsiToUtf8(LogLine(ReadLocalTime(), debugLine)), error)) {
        return true;
    }
    log.open = false;
    failure = Join({"the log ", Failure(log.path, "written", error), "; no more lines go there"});
    return false;
}

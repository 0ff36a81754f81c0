// The launcher's message boxes, debug output and log; see Diagnostics.h.
#include "Diagnostics.h"

#include "platform/Environment.h"
#include "platform/LogFile.h"

const char* const kNotFoundMessage = "No Trelvo/RedadaVador/TrelvoTalo/TrelvoOrvendel/TrelvoQuent/\n"
                                     "TrelvoVantelo/TrelvoLumio/TrelvoHeddle installer (=uninstaller) found.\n"
                                     "Please install one of these demos first.";

const char* const kFolderNameMessage = "Quorvane.exe cannot name its folder in this system's code page.\n"
                                       "Please copy Quorvane.exe and setup.cfg to a folder with a plainer name\n"
                                       "and start it from there.";

namespace {
// A box nobody can see would wait for ever for a click; support learns it was left out.
bool CanShowBox()
{
    if (BoxCanBeSeen(ReadSessionFacts())) {
        return true;
    }
    TraceStep("(no box: nobody can see this session)");
    return false;
}

const char* AnswerText(Answer answer)
{
    return answer == Answer::Yes ? "yes" : answer == Answer::No ? "no" : "?";
}

// The four cases support must tell apart when an installer that needs rights was not started.
const char* RightsText(const TokenFacts& token)
{
    if (!token.opened) {
        return "?";
    }
    switch (token.elevationType) {
    case 2: // full: the elevated half of a split token
        return "elevated";
    case 3: // limited: the filtered half
        return "administrator, not elevated";
    default: // no split token: User Account Control is off, or this is a standard user or SYSTEM
        return token.elevated ? "elevated" : "standard user";
    }
}
} // namespace

bool BoxCanBeSeen(const SessionFacts& session)
{
    return session.stationVisible && session.sessionId != 0;
}

void TraceStep(const std::string& text)
{
    // A viewer shows each piece as it comes: the closing line feed keeps the lines apart.
    std::string line = Join({"Quorvane: ", text, "\n"});
    for (std::size_t pos = 0; pos + 1 < line.size(); ++pos) {
        if (line[pos] == '\n' || line[pos] == '\r') {
            line[pos] = ' ';
        }
    }
    WriteDebugOutput(line.c_str());
    std::string failure;
    if (!WriteToLog(line, failure)) {
        WriteDebugOutput(Join({"Quorvane: ", failure, "\n"}).c_str());
    }
}

void ShowFatalError(const std::string& text)
{
    TraceStep(text);
    if (CanShowBox()) {
        ShowMessageBox(text, "Quorvane Error", kErrorBoxStyle);
    }
    EndProcess(TraceExitCode(-1));
}

void EndAfterRuntimeError(const char* what)
{
    // Whatever failed may fail again while the lines are made: the process ends all the same.
    try {
        TraceStep(Join({"runtime error: ", what}));
        TraceExitCode(-1);
    } catch (...) {
        WriteDebugOutput("Quorvane: runtime error\n");
    }
    EndProcessAtOnce(-1);
}

void ReportRuntimeFailuresWithoutABox()
{
    HandleRuntimeAbort([](int) { EndAfterRuntimeError("the C++ runtime gave up (abort)"); });
}

void ShowDebugInfo(const std::string& text)
{
    TraceStep(text);
    // Only bit 7 says "down"; the sign bit alone does not count.
    if ((ReadControlKeyState() & 0x80) != 0 && CanShowBox()) {
        ShowMessageBox(text, "Quorvane Debug-Info", kInfoBoxStyle);
    }
}

std::string VersionText(FileVersion64 version)
{
    std::string text;
    for (int shift = 48; shift >= 0; shift -= 16) {
        AppendNumber(text, static_cast<unsigned long>((version >> shift) & 0xFFFF));
        text += shift != 0 ? "." : "";
    }
    return text;
}

std::string DescribeStart(const StartFacts& facts)
{
    const std::string version = facts.launcherVersion != 0
                                    ? VersionText(facts.launcherVersion)
                                    : Join({"? (", WindowsError(facts.launcherVersionError), ")"});
    const WindowsVersion& windows = facts.windows;
    const std::string windowsVersion =
        windows.known
            ? Join({NumberText(static_cast<long>(windows.major)), ".", NumberText(static_cast<long>(windows.minor)),
                    ".", NumberText(static_cast<long>(windows.build))})
            : "?";
    std::string session = "?";
    if (facts.session.sessionId >= 0) {
        session.clear();
        AppendNumber(session, static_cast<unsigned long>(facts.session.sessionId));
    }
    return Join({"version ", version, "; Windows ", windowsVersion, "; 64-bit: ", AnswerText(facts.windows64Bit),
                 "; rights: ", RightsText(facts.token), "; session: ", session, "; box can be seen: ",
                 BoxCanBeSeen(facts.session) ? "yes" : "no", "; code page: ", NumberText(facts.codePage),
                 "; log: ", facts.log, "; command line: ", facts.commandLine});
}

int TraceExitCode(int exitCode, const char* rule)
{
    TraceStep(Join({"exit code ", NumberText(exitCode), rule}));
    return exitCode;
}

namespace {
// The names tried: only a folder filled with look-alikes on purpose holds more.
constexpr unsigned kNamesTried = 100;

// The run's log.
struct {
    bool open = false;
    WideText path;
} theLog;

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

// The log's name for a run started at time, for the given try (1: the first).
WideText LogFileName(const LocalTime& time, unsigned long processId, unsigned attempt)
{
    std::string name = "Quorvane-";
    const unsigned parts[] = {time.year, time.month, time.day, time.hour, time.minute, time.second};
    for (std::size_t part = 0; part < 6; ++part) {
        AppendNumber(name, parts[part], part == 0 ? 4 : 2);
        name += part == 2 || part == 5 ? "-" : "";
    }
    AppendNumber(name, processId);
    if (attempt > 1) {
        name += '-';
        AppendNumber(name, attempt);
    }
    name += ".log";
    return WidenAscii(name.c_str());
}

// A line of the log: "2026-12-07 14:13:44.123 ", then debugLine with a CR LF for its LF.
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

} // namespace

std::string StartLog()
{
    theLog = {};
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
            // An empty file would only puzzle whoever finds it; where it cannot go, the line says so.
            const std::string failure = "none, " + Failure(path, "written", error);
            return CloseLogFile(true, error) ? failure
                                             : Join({failure, "; the empty file stays (", WindowsError(error), ")"});
        }
        theLog = {true, path};
        return PathText(path);
    }
    return Join({"none, every name up to ", PathText(path), " is taken"});
}

bool WriteToLog(const std::string& debugLine, std::string& failure)
{
    unsigned long error = 0;
    if (!theLog.open || WriteLogFile(AnsiToUtf8(LogLine(ReadLocalTime(), debugLine)), error)) {
        return true;
    }
    theLog.open = false;
    failure = Join({"the log ", Failure(theLog.path, "written", error), "; no more lines go there"});
    CloseLogFile(false, error);
    return false;
}

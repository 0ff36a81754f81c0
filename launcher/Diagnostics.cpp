// The launcher's message boxes and debug output; see Diagnostics.h.
#include "Diagnostics.h"

#include "RunLog.h"
#include "platform/AnsiText.h"
#include "platform/ProcessControl.h"

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
} // namespace

bool BoxCanBeSeen(const SessionFacts& session)
{
    return session.stationVisible && session.sessionId != 0;
}

void TraceStep(const std::string& text)
{
    // A viewer shows each piece of output as it comes; the closing line feed keeps lines
    // of one process apart.
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

namespace {
const char* AnswerText(Answer answer)
{
    return answer == Answer::Yes ? "yes" : answer == Answer::No ? "no" : "?";
}

// The four cases support must tell apart when an installer that needs rights was not
// started: only the elevation type separates an administrator without elevation from a
// standard user.
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
    const std::string version = facts.launcherVersion == 0 ? "?" : VersionText(facts.launcherVersion);
    const WindowsVersion& windows = facts.windows;
    std::string windowsVersion = "?";
    if (windows.known) {
        windowsVersion.clear();
        for (const unsigned long part : {windows.major, windows.minor, windows.build}) {
            AppendNumber(windowsVersion, part);
            windowsVersion += '.';
        }
        windowsVersion.pop_back();
    }
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

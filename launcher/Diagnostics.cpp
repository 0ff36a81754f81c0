// The launcher's message boxes and debug output; see Diagnostics.h.
#include "Diagnostics.h"

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
    return session.stationVisible && !(session.sessionId == 0 && session.vistaOrLater);
}

void TraceStep(const std::string& text)
{
    // A viewer shows each piece of output as it comes; the closing line feed keeps lines
    // of one process apart.
    std::string line = "Quorvane: " + text + "\n";
    for (std::size_t pos = 0; pos + 1 < line.size(); ++pos) {
        if (line[pos] == '\n' || line[pos] == '\r') {
            line[pos] = ' ';
        }
    }
    WriteDebugOutput(line.c_str());
}

void ShowFatalError(const std::string& text)
{
    TraceStep(text);
    if (CanShowBox()) {
        ShowMessageBox(text, "Quorvane Error", kErrorBoxStyle);
    }
    EndProcess(TraceExitCode(-1));
}

int ShowDebugInfo(const std::string& text)
{
    TraceStep(text);
    // Only bit 7 says "down"; the sign bit alone does not count.
    if ((ReadControlKeyState() & 0x80) == 0 || !CanShowBox()) {
        return 1;
    }
    return ShowMessageBox(text, "Quorvane Debug-Info", kInfoBoxStyle);
}

namespace {
const char* AnswerText(Answer answer)
{
    return answer == Answer::Yes ? "yes" : answer == Answer::No ? "no" : "?";
}
} // namespace

std::string DescribeStart(const StartFacts& facts)
{
    const auto part = [&facts](int shift) {
        return std::to_string((facts.launcherVersion >> shift) & 0xFFFF);
    };
    const std::string version =
        facts.launcherVersion == 0 ? "?" : part(48) + "." + part(32) + "." + part(16) + "." + part(0);
    const WindowsVersion& windows = facts.windows;
    const std::string windowsVersion =
        windows.known
            ? std::to_string(windows.major) + "." + std::to_string(windows.minor) + "." + std::to_string(windows.build)
            : "?";
    const std::string session = facts.session.sessionId < 0 ? "?" : std::to_string(facts.session.sessionId);
    return "version " + version + "; Windows " + windowsVersion + "; 64-bit: " + AnswerText(facts.windows64Bit) +
           "; administrator: " + AnswerText(facts.administrator) + "; session: " + session +
           "; box can be seen: " + (BoxCanBeSeen(facts.session) ? "yes" : "no") +
           "; code page: " + std::to_string(facts.codePage) + "; command line: " + facts.commandLine;
}

int TraceExitCode(int exitCode)
{
    TraceStep("exit code " + std::to_string(exitCode));
    return exitCode;
}

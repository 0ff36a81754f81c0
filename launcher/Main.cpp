// The program's entry: keep every DLL load to the system folder, keep the runtime's and
// the system's own failure boxes away, learn the code page, open the log, cut the command
// tail, run the launcher.
#include "Diagnostics.h"
#include "LaunchSequence.h"
#include "platform/Win32.h"

#include <new>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Before anything loads a DLL: one planted beside the launcher (a download folder, a copied
    // medium) must not be found by the libraries that draw a box or start a program.
    const bool dllSearchRestricted = RestrictDllSearchToSystemFolder();
    ReportRuntimeFailuresWithoutABox();
    // Before any path is touched: a drive without its medium must not stop a silent run.
    KeepSystemErrorBoxesAway();
    // Then the code page: every string operation of the launcher depends on it.
    UseCodePage(LearnSystemCodePage());
    // Memory running out is the one failure that throws: the run ends as any that failed.
    try {
        const std::string log = StartLog();
        const std::string commandLine = GetAnsiCommandLine();
        TraceStart(commandLine, dllSearchRestricted, log);
        return RunLauncher(CutCommandTail(commandLine, ActiveCodePage()));
    } catch (const std::bad_alloc&) {
        try {
            TraceStep("out of memory");
            return TraceExitCode(-1);
        } catch (const std::bad_alloc&) {
            WriteDebugOutput("Quorvane: out of memory\n");
            WriteDebugOutput("Quorvane: exit code -1\n");
            return -1;
        }
    }
}

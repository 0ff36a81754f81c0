// The program's entry: keep every DLL load to the system folder, keep the runtime's and
// the system's own failure boxes away, learn the code page, open the log, cut the command
// tail, run the launcher.
#include "CommandTail.h"
#include "Diagnostics.h"
#include "LaunchSequence.h"
#include "RunLog.h"
#include "platform/ProcessControl.h"
#include "platform/SystemCodePage.h"
#include "platform/SystemLibrary.h"
#include "platform/UserInterface.h"

#include <windows.h>

#include <new>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Before anything loads a DLL: a DLL planted beside the launcher (in a download folder,
    // on a copied medium) must not be found by the libraries that draw a box or start a
    // program, which load DLLs of their own. Where the system cannot restrict the search
    // (Vista, Windows 7 without KB2533623) the launcher's own loads still come from the
    // system folder alone; it goes on, and says so in the debug output.
    const bool dllSearchRestricted = RestrictDllSearchToSystemFolder();
    ReportRuntimeFailuresWithoutABox();
    // Before any path is touched (the log's folder, the registry's programs): a drive
    // without its medium must not stop a silent run with a box of the system's.
    KeepSystemErrorBoxesAway();
    // Then the code page: every string operation of the launcher depends on it.
    UseCodePage(LearnSystemCodePage());
    // The runtime's own command tail is not taken; the launcher cuts its own from the
    // unchanged command line. Memory running out is the one failure that throws; the run
    // ends as any other run that could not do its job.
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

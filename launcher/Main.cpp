// The program's entry: learn the code page, cut the command tail, run the launcher.
#include "CommandTail.h"
#include "LaunchSequence.h"
#include "platform/SystemCodePage.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // The code page comes first: every string operation of the launcher depends on it.
    UseCodePage(LearnSystemCodePage());
    // The runtime's own command tail is not taken; the launcher cuts its own from the
    // unchanged command line.
    return RunLauncher(CutCommandTail(GetCommandLineA(), ActiveCodePage()));
}

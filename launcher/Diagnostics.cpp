// The launcher's message boxes; see Diagnostics.h.
#include "Diagnostics.h"

#include "platform/ProcessControl.h"
#include "platform/UserInterface.h"

const char* const kNotFoundMessage = "No Trelvo/RedadaVador/TrelvoTalo/TrelvoOrvendel/TrelvoQuent/\n"
                                     "TrelvoVantelo/TrelvoLumio/TrelvoHeddle installer (=uninstaller) found.\n"
                                     "Please install one of these demos first.";

const char* const kFolderNameMessage = "Quorvane.exe cannot name its folder in this system's code page.\n"
                                       "Please copy Quorvane.exe and setup.cfg to a folder with a plainer name\n"
                                       "and start it from there.";

void ShowFatalError(const std::string& text)
{
    // In a window station nobody sees, the box would wait for ever for a click.
    if (WindowStationIsVisible()) {
        ShowMessageBox(text, "Quorvane Error", kErrorBoxStyle);
    }
    EndProcess(-1);
}

int ShowDebugInfo(const std::string& text)
{
    // Only bit 7 says "down"; the sign bit alone does not count.
    if ((ReadControlKeyState() & 0x80) == 0 || !WindowStationIsVisible()) {
        return 1;
    }
    return ShowMessageBox(text, "Quorvane Debug-Info", kInfoBoxStyle);
}

// The launcher's only contact with the user and with support: the Ctrl key, message
// boxes, what tells whether anyone can see them, and the debug output.
#pragma once

#include <string>

// Message box styles, with the values of MB_ICONERROR and MB_OK.
constexpr unsigned kErrorBoxStyle = 0x10;
constexpr unsigned kInfoBoxStyle = 0x0;

// GetKeyState(VK_CONTROL) at the moment of the call.
short ReadControlKeyState();

// What tells whether anyone can see a box and close it. Services, tasks that run whether
// or not a user is logged on, and deployment agents start the launcher where nobody can,
// and a box there would wait for ever.
struct SessionFacts {
    // The process's window station is a visible one (WSF_VISIBLE); true when that cannot
    // be told.
    bool stationVisible = true;
    // The process's session number (0: the services' session, where nobody logs on); -1 when
    // it cannot be told.
    long long sessionId = -1;
};
SessionFacts ReadSessionFacts();

// A modal message box without owner window, shown until it is closed.
void ShowMessageBox(const std::string& text, const std::string& title, unsigned style);

// One piece of debug output (OutputDebugStringA), which a debugger or a debug-output
// viewer shows and which is lost when none is watching.
void WriteDebugOutput(const char* text);

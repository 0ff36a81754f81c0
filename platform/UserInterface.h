// The launcher's only contact with the user: the Ctrl key and message boxes.
#pragma once

#include <string>

// Message box styles, with the values of MB_ICONERROR and MB_OK.
constexpr unsigned kErrorBoxStyle = 0x10;
constexpr unsigned kInfoBoxStyle = 0x0;

// GetKeyState(VK_CONTROL) at the moment of the call.
short ReadControlKeyState();

// Whether anyone can see a box: false in a window station that is not visible, where a
// service, a task that runs whether or not a user is logged on, or a deployment agent
// starts the launcher, and where a box would wait for ever. True when it cannot be told.
bool WindowStationIsVisible();

// A modal message box without owner window; returns the button that closed it.
int ShowMessageBox(const std::string& text, const std::string& title, unsigned style);

// The launcher's only contact with the user: the Ctrl key and message boxes.
#pragma once

#include <string>

// Message box styles, with the values of MB_ICONERROR and MB_OK.
constexpr unsigned kErrorBoxStyle = 0x10;
constexpr unsigned kInfoBoxStyle = 0x0;

// GetKeyState(VK_CONTROL) at the moment of the call.
short ReadControlKeyState();

// A modal message box without owner window; returns the button that closed it.
int ShowMessageBox(const std::string& text, const std::string& title, unsigned style);

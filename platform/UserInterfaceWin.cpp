// Ctrl key and message boxes; see UserInterface.h.
#include "UserInterface.h"

#include <windows.h>

static_assert(kErrorBoxStyle == MB_ICONERROR, "error box style");
static_assert(kInfoBoxStyle == MB_OK, "information box style");

short ReadControlKeyState()
{
    return GetKeyState(VK_CONTROL);
}

int ShowMessageBox(const std::string& text, const std::string& title, unsigned style)
{
    return MessageBoxA(nullptr, text.c_str(), title.c_str(), style);
}

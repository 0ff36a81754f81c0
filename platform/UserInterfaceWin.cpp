// Ctrl key, who can see a box, message boxes and debug output; see UserInterface.h.
//
// user32 is loaded from the system folder rather than imported, so that neither it nor any
// DLL it depends on can be picked up from the launcher's own folder.
#include "UserInterface.h"

#include "SystemLibrary.h"

static_assert(kErrorBoxStyle == MB_ICONERROR, "error box style");
static_assert(kInfoBoxStyle == MB_OK, "information box style");

namespace {
HMODULE User32()
{
    // Kept until the process ends: user32 must stay loaded once the thread has shown windows.
    static const HMODULE library = LoadSystemLibrary("user32.dll");
    return library;
}
} // namespace

short ReadControlKeyState()
{
    const auto getKeyState = FindFunction<decltype(&GetKeyState)>(User32(), "GetKeyState");
    return getKeyState != nullptr ? getKeyState(VK_CONTROL) : 0;
}

SessionFacts ReadSessionFacts()
{
    SessionFacts facts;
    const auto getStation = FindFunction<decltype(&GetProcessWindowStation)>(User32(), "GetProcessWindowStation");
    const auto getInformation =
        FindFunction<decltype(&GetUserObjectInformationW)>(User32(), "GetUserObjectInformationW");
    USEROBJECTFLAGS flags{};
    if (getStation != nullptr && getInformation != nullptr &&
        getInformation(getStation(), UOI_FLAGS, &flags, sizeof flags, nullptr)) {
        facts.stationVisible = (flags.dwFlags & WSF_VISIBLE) != 0;
    }
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session)) {
        facts.sessionId = session;
    }
    return facts;
}

void ShowMessageBox(const std::string& text, const std::string& title, unsigned style)
{
    const auto messageBox = FindFunction<decltype(&MessageBoxA)>(User32(), "MessageBoxA");
    if (messageBox != nullptr) {
        messageBox(nullptr, text.c_str(), title.c_str(), style);
    }
}

void WriteDebugOutput(const char* text)
{
    OutputDebugStringA(text);
}

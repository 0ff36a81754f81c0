// The system's message for an error; see SystemError.h.
#include "SystemError.h"

#include "TextConversion.h"

#include <windows.h>

std::string SystemErrorText(unsigned long error)
{
    wchar_t message[512] = {};
    // Its inserts ("%1") are left as written.
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        message, 512, nullptr);
    std::string text;
    WideToAnsi(message, length, 0, text);
    return text;
}

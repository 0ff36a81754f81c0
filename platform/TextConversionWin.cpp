// Converting between the system's wide text, the ANSI code page and UTF-8; see
// TextConversion.h.
#include "TextConversion.h"

#include <windows.h>

bool WideToAnsi(const wchar_t* wide, std::size_t length, unsigned codePage, std::string& ansi)
{
    ansi.clear();
    if (length == 0) {
        return true;
    }
    // UTF-8 holds every character but a lone surrogate, for which the system would put in
    // U+FFFD without a word; it takes neither the no-best-fit flag nor a default character.
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
    WideText text(wide, wide + length);
    const bool held = utf8 ? !ReplaceLoneSurrogates(text) : true;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* defaultChar = utf8 ? nullptr : "?";
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int wideLength = static_cast<int>(length);
    const int size =
        WideCharToMultiByte(codePage, flags, text.data(), wideLength, nullptr, 0, defaultChar, usedDefaultOut);
    if (size <= 0) {
        return false;
    }
    ansi.resize(static_cast<std::size_t>(size));
    if (WideCharToMultiByte(codePage, flags, text.data(), wideLength, &ansi[0], size, defaultChar, usedDefaultOut) !=
        size) {
        ansi.clear();
        return false;
    }
    return held && !usedDefault;
}

WideText AnsiToWide(const std::string& ansi)
{
    const int length = static_cast<int>(ansi.size());
    WideText wide(ansi.size());
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), length)));
    return wide;
}

std::string AnsiToUtf8(const std::string& ansi)
{
    const WideText wide = AnsiToWide(ansi);
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(
        static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0],
                                                     static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

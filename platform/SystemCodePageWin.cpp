// Learning the ANSI code page from the system, and converting into it; see SystemCodePage.h.
#include "SystemCodePage.h"

#include "AnsiPath.h"

#include <windows.h>

namespace {
// The system's upper-case form of one character of several bytes, through its wide form.
std::string UpperCharacter(const std::string& character)
{
    wchar_t wide[4] = {};
    wchar_t upper[8] = {};
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, character.data(),
                                           static_cast<int>(character.size()), wide, 4);
    const int upperLength =
        length > 0 ? LCMapStringW(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, wide, length, upper, 8) : 0;
    std::string mapped;
    if (upperLength <= 0 || !WideToAnsi(upper, static_cast<std::size_t>(upperLength), CP_ACP, mapped)) {
        return character;
    }
    return mapped;
}
} // namespace

CodePage LearnSystemCodePage()
{
    CodePage codePage = AsciiCodePage();
    codePage.id = GetACP();

    CPINFO info{};
    codePage.utf8 = codePage.id == CP_UTF8;
    if (GetCPInfo(codePage.id, &info) && info.MaxCharSize > 1) {
        for (int range = 0; range + 1 < MAX_LEADBYTES && info.LeadByte[range] != 0; range += 2) {
            for (unsigned byte = info.LeadByte[range]; byte <= info.LeadByte[range + 1]; ++byte) {
                codePage.leadByte[byte] = true;
            }
        }
        codePage.upperCharacter = &UpperCharacter;
    }

    // Single-byte letters: what the code page classes as lower case gets its upper-case
    // form, as long as that is one byte too. On UTF-8 only ASCII is a byte of its own.
    for (unsigned byte = 1; byte < (codePage.utf8 ? 0x80u : 256u); ++byte) {
        if (codePage.leadByte[byte]) {
            continue;
        }
        const char in = static_cast<char>(byte);
        WORD kind = 0;
        if (!GetStringTypeA(LOCALE_SYSTEM_DEFAULT, CT_CTYPE1, &in, 1, &kind) || (kind & C1_LOWER) == 0) {
            continue;
        }
        char out[2] = {};
        if (LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, &in, 1, out, sizeof out) == 1) {
            codePage.upper[byte] = static_cast<unsigned char>(out[0]);
        }
    }
    return codePage;
}

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

std::string AnsiToUtf8(const std::string& ansi)
{
    const WideText wide = AnsiToWide(ansi);
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(
        static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0],
                                                     static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

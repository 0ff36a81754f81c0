// Learning the ANSI code page from the system, and converting into it; see SystemCodePage.h.
#include "SystemCodePage.h"

#include <windows.h>

namespace {
// Upper-cases one double-byte character with the system's mapping; keeps it when the
// mapping would change its byte length, since positions must stay valid.
void UpperDoubleByte(unsigned char& lead, unsigned char& trail)
{
    const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    char out[4] = {};
    if (LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, in, 2, out, sizeof out) == 2) {
        lead = static_cast<unsigned char>(out[0]);
        trail = static_cast<unsigned char>(out[1]);
    }
}
} // namespace

CodePage LearnSystemCodePage()
{
    CodePage codePage = AsciiCodePage();
    codePage.id = GetACP();

    CPINFO info{};
    if (GetCPInfo(codePage.id, &info) && info.MaxCharSize > 1) {
        for (int range = 0; range + 1 < MAX_LEADBYTES && info.LeadByte[range] != 0; range += 2) {
            for (unsigned byte = info.LeadByte[range]; byte <= info.LeadByte[range + 1]; ++byte) {
                codePage.leadByte[byte] = true;
            }
        }
        codePage.upperDoubleByte = &UpperDoubleByte;
    }

    // Single-byte letters: what the code page classes as lower case gets its upper-case
    // form, as long as that is one byte too.
    for (unsigned byte = 1; byte < 256; ++byte) {
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
    // UTF-8 holds every character, and the system refuses the no-best-fit flag and a
    // default character for it.
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* defaultChar = utf8 ? nullptr : "?";
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int wideLength = static_cast<int>(length);
    const int size = WideCharToMultiByte(codePage, flags, wide, wideLength, nullptr, 0, defaultChar, usedDefaultOut);
    if (size <= 0) {
        return false;
    }
    ansi.resize(static_cast<std::size_t>(size));
    if (WideCharToMultiByte(codePage, flags, wide, wideLength, &ansi[0], size, defaultChar, usedDefaultOut) != size) {
        ansi.clear();
        return false;
    }
    return !usedDefault;
}

// Learning the ANSI code page from the system; see SystemCodePage.h.
#include "SystemCodePage.h"

#include "TextConversion.h"

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

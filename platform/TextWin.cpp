// The system's side of text; see Text.h.
#include "Text.h"

#include <windows.h>

bool WideToAnsi(const wchar_t* wide, std::size_t length, unsigned codePage, std::string& ansi)
{
    // UTF-8 lacks only lone surrogates (the system would put U+FFFD without a word).
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
    WideText text(wide, wide + length);
    const bool held = !utf8 || !ReplaceLoneSurrogates(text);
    BOOL usedDefault = FALSE;
    ansi.assign(length * 4, '\0'); // more than any code page needs
    const int size = length == 0
                         ? 0
                         : WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text.data(),
                                               static_cast<int>(length), &ansi[0], static_cast<int>(ansi.size()),
                                               utf8 ? nullptr : "?", utf8 ? nullptr : &usedDefault);
    ansi.resize(static_cast<std::size_t>(size));
    return (size > 0 || length == 0) && held && !usedDefault;
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
    std::string utf8;
    WideToAnsi(wide.data(), wide.size(), CP_UTF8, utf8);
    return utf8;
}

std::string WindowsError(unsigned long error)
{
    wchar_t message[512] = {};
    // Its inserts ("%1") are left as written.
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        message, 512, nullptr);
    std::string text;
    WideToAnsi(message, length, 0, text);
    return ErrorLine(error, text);
}

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

    // Single-byte lower-case letters, whose upper case is one byte too; on UTF-8 only ASCII.
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

namespace {
// input with its terminating zero, for the calls that take a path.
WideText Terminated(WideText input)
{
    input.push_back(L'\0');
    return input;
}

// A call's answer for ReadGrowing, with the error it left.
std::size_t Answer(DWORD length, unsigned long& error)
{
    error = GetLastError();
    return length;
}
} // namespace

bool AnsiPathName(const WideText& path, std::string& ansi)
{
    if (WideToAnsi(path.data(), path.size(), 0, ansi)) {
        return true;
    }
    unsigned long error = 0;
    const WideText input = Terminated(path);
    const WideText shortPath = ReadGrowing(
        [](const wchar_t* name, wchar_t* buffer, std::size_t capacity, unsigned long& failure) -> std::size_t {
            return Answer(GetShortPathNameW(name, buffer, static_cast<DWORD>(capacity)), failure);
        },
        input.data(), error);
    if (!shortPath.empty() && WideToAnsi(shortPath.data(), shortPath.size(), 0, ansi)) {
        return true;
    }
    ansi.clear();
    return false;
}

WideText GetModulePathWide(unsigned long& error)
{
    // A buffer too small gets the path cut to it, and its own size as the answer.
    return ReadGrowing(
        [](const wchar_t*, wchar_t* buffer, std::size_t capacity, unsigned long& failure) -> std::size_t {
            return Answer(GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(capacity)), failure);
        },
        nullptr, error);
}

bool GetCurrentDirectoryAnsi(std::string& directory)
{
    unsigned long error = 0;
    const WideText wide = ReadGrowing(
        [](const wchar_t*, wchar_t* buffer, std::size_t capacity, unsigned long& failure) -> std::size_t {
            return Answer(GetCurrentDirectoryW(static_cast<DWORD>(capacity), buffer), failure);
        },
        nullptr, error);
    return !wide.empty() && AnsiPathName(wide, directory);
}

bool GetFullPathAnsi(const std::string& path, std::string& full, unsigned long& error)
{
    full.clear();
    const WideText input = Terminated(AnsiToWide(path));
    error = ERROR_INVALID_NAME; // for an empty path, which the system would take for the current folder
    const auto read = [](const wchar_t* name, wchar_t* buffer, std::size_t capacity, unsigned long& failure) {
        return Answer(GetFullPathNameW(name, static_cast<DWORD>(capacity), buffer, nullptr), failure);
    };
    const WideText fullPath = input.size() == 1 ? WideText() : ReadGrowing(read, input.data(), error);
    if (fullPath.empty()) {
        return false;
    }
    if (!AnsiPathName(fullPath, full)) {
        error = ERROR_NO_UNICODE_TRANSLATION;
        return false;
    }
    error = ERROR_SUCCESS;
    return true;
}

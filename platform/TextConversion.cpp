// The parts of text conversion that need no system call; see TextConversion.h.
#include "TextConversion.h"

#include "AnsiText.h"

WideText WidenAscii(const char* ascii)
{
    WideText wide;
    for (; *ascii != '\0'; ++ascii) {
        wide.push_back(static_cast<wchar_t>(*ascii));
    }
    return wide;
}

namespace {
bool IsHighSurrogate(wchar_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
} // namespace

bool IsSurrogatePairAt(const WideText& text, std::size_t at)
{
    return at + 1 < text.size() && IsHighSurrogate(text[at]) && IsLowSurrogate(text[at + 1]);
}

bool ReplaceLoneSurrogates(WideText& text)
{
    bool replaced = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsSurrogatePairAt(text, i)) {
            ++i; // one character
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            text[i] = L'?';
            replaced = true;
        }
    }
    return replaced;
}

WideText WidePrefixOfAnsiLength(const WideText& text, std::size_t bytes)
{
    std::size_t length = 0;
    std::string character;
    for (std::size_t converted = 0; converted < bytes && length < text.size();) {
        const std::size_t units = IsSurrogatePairAt(text, length) ? 2 : 1;
        WideToAnsi(&text[length], units, ActiveCodePage().id, character);
        converted += character.size();
        length += units;
    }
    return WideText(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
}

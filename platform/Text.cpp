// Text without the system; see Text.h.
#include "Text.h"

#include <cstring>

namespace {
CodePage& CurrentCodePage()
{
    static CodePage current = AsciiCodePage();
    return current;
}
} // namespace

CodePage AsciiCodePage()
{
    CodePage codePage;
    for (unsigned byte = 0; byte < 256; ++byte) {
        codePage.upper[byte] = static_cast<unsigned char>(byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte);
    }
    return codePage;
}

const CodePage& ActiveCodePage()
{
    return CurrentCodePage();
}

void UseCodePage(const CodePage& codePage)
{
    CurrentCodePage() = codePage;
}

std::size_t CharLength(const std::string& text, std::size_t pos, const CodePage& codePage)
{
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (!codePage.utf8) {
        return codePage.leadByte[byte] && pos + 1 < text.size() ? 2 : 1;
    }
    const std::size_t length = byte > 0xF4 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 1;
    for (std::size_t next = pos + 1; next < pos + length; ++next) {
        if (next >= text.size() || (static_cast<unsigned char>(text[next]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

long long SearchText(const std::string& haystack, const std::string& needle, const CodePage& codePage)
{
    for (std::size_t pos = 0; pos + needle.size() <= haystack.size(); pos += CharLength(haystack, pos, codePage)) {
        if (haystack.compare(pos, needle.size(), needle) == 0) {
            return static_cast<long long>(pos);
        }
    }
    return -1;
}

long long FindLastOf(const std::string& text, const char* singleByteChars, const CodePage& codePage)
{
    long long found = -1;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharLength(text, pos, codePage);
        if (length == 1 && text[pos] != '\0' && std::strchr(singleByteChars, text[pos]) != nullptr) {
            found = static_cast<long long>(pos);
        }
        pos += length;
    }
    return found;
}

void UpperCaseInPlace(std::string& text, const CodePage& codePage)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharLength(text, pos, codePage);
        if (length == 1) {
            text[pos] = static_cast<char>(codePage.upper[static_cast<unsigned char>(text[pos])]);
        } else if (codePage.upperCharacter != nullptr) {
            const std::string upper = codePage.upperCharacter(text.substr(pos, length));
            if (upper.size() == length) {
                text.replace(pos, length, upper);
            }
        }
        pos += length;
    }
}

std::string Join(std::initializer_list<std::string_view> pieces)
{
    std::size_t size = 0;
    for (const std::string_view piece : pieces) {
        size += piece.size();
    }
    std::string joined;
    joined.reserve(size);
    for (const std::string_view piece : pieces) {
        joined.append(piece.data(), piece.size());
    }
    return joined;
}

void AppendNumber(std::string& text, unsigned long value, std::size_t width)
{
    char digits[24];
    std::size_t length = 0;
    do {
        digits[length++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 || length < width);
    while (length != 0) {
        text += digits[--length];
    }
}

std::string NumberText(long value)
{
    std::string text = value < 0 ? "-" : "";
    // The magnitude as unsigned, so that the most negative value has one too.
    AppendNumber(text, value < 0 ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value));
    return text;
}

WideText WidenAscii(const char* ascii)
{
    WideText wide;
    for (; *ascii != '\0'; ++ascii) {
        wide.push_back(static_cast<wchar_t>(*ascii));
    }
    return wide;
}

bool IsSurrogatePairAt(const WideText& text, std::size_t at)
{
    return at + 1 < text.size() && (text[at] & 0xFC00) == 0xD800 && (text[at + 1] & 0xFC00) == 0xDC00;
}

bool ReplaceLoneSurrogates(WideText& text)
{
    bool replaced = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsSurrogatePairAt(text, i)) {
            ++i; // one character
        } else if ((text[i] & 0xF800) == 0xD800) { // U+D800 to U+DFFF
            text[i] = L'?';
            replaced = true;
        }
    }
    return replaced;
}

WideText ReadGrowing(std::size_t (*read)(const wchar_t* input, wchar_t* buffer, std::size_t capacity,
                                         unsigned long& error),
                     const wchar_t* input, unsigned long& error)
{
    WideText buffer(260);
    for (;;) {
        const std::size_t answer = read(input, buffer.data(), buffer.size(), error);
        if (answer < buffer.size()) {
            buffer.resize(answer);
            return buffer;
        }
        if (buffer.size() >= 0x8000) {
            return WideText();
        }
        buffer.resize(answer > buffer.size() ? answer : buffer.size() * 2);
    }
}

std::string ErrorLine(unsigned long error, std::string text)
{
    while (!text.empty() && std::string_view("\r\n .").find(text.back()) != std::string_view::npos) {
        text.pop_back();
    }
    // Filled from nothing, the message's inserts would read past arguments it was never given.
    for (std::size_t at = 0; (at = text.find('%', at)) != std::string::npos; ++at) {
        const std::size_t end = text.find_first_not_of("0123456789", at + 1);
        if (end != at + 1) {
            text.replace(at, end - at, "it");
        }
    }
    std::string line = "Windows error ";
    AppendNumber(line, error);
    return text.empty() ? line : Join({line, ": ", text});
}

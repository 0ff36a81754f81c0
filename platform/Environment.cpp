// Expanding %NAME% references; see Environment.h. The variables come from the system's
// side (EnvironmentWin.cpp), so this is built and tested natively as well.
#include "Environment.h"

namespace {
wchar_t FoldAscii(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// Where text holds c from from on; text.size() when it does not.
std::size_t Find(const WideText& text, wchar_t c, std::size_t from)
{
    while (from < text.size() && text[from] != c) {
        ++from;
    }
    return from;
}

// The value of the variable named text[begin, end) in variables; false when there is none.
bool Lookup(const Environment& variables, const WideText& text, std::size_t begin, std::size_t end, WideText& value)
{
    for (std::size_t entry = 0; entry < variables.size();) {
        const std::size_t entryEnd = Find(variables, L'\0', entry);
        const std::size_t equals = Find(variables, L'=', entry + 1);
        bool same = equals < entryEnd && equals - entry == end - begin;
        for (std::size_t i = 0; same && i < end - begin; ++i) {
            same = FoldAscii(variables[entry + i]) == FoldAscii(text[begin + i]);
        }
        if (same) {
            value.assign(variables.begin() + static_cast<std::ptrdiff_t>(equals + 1),
                         variables.begin() + static_cast<std::ptrdiff_t>(entryEnd));
            return true;
        }
        entry = entryEnd + 1;
    }
    return false;
}
} // namespace

bool ExpandVariables(const WideText& text, const Environment& variables, WideText& expanded, WideText& undefined)
{
    expanded.clear();
    undefined.clear();
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t close = text[at] == L'%' ? Find(text, L'%', at + 1) : text.size();
        WideText value;
        if (close == text.size() || close == at + 1) { // a character as written; "%%" names nothing
            expanded.push_back(text[at++]);
        } else if (Lookup(variables, text, at + 1, close, value)) {
            expanded.insert(expanded.end(), value.begin(), value.end());
            at = close + 1;
        } else {
            undefined.assign(text.begin() + static_cast<std::ptrdiff_t>(at + 1),
                             text.begin() + static_cast<std::ptrdiff_t>(close));
            return false;
        }
    }
    return true;
}

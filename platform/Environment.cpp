// Expanding %NAME% references; see Environment.h. The variables come from the system's
// side (EnvironmentWin.cpp), so this is built and tested natively as well.
#include "Environment.h"

namespace {
// Where text holds c from from on; text.size() when it does not.
std::size_t Find(const WideText& text, wchar_t c, std::size_t from)
{
    while (from < text.size() && text[from] != c) {
        ++from;
    }
    return from;
}

// Where the value of the variable named text[begin, end) begins in variables, with its
// length; false when there is none.
bool Lookup(const Environment& variables, const WideText& text, std::size_t begin, std::size_t end, std::size_t& value,
            std::size_t& length)
{
    for (std::size_t entry = 0; entry < variables.size();) {
        const std::size_t entryEnd = Find(variables, L'\0', entry);
        const std::size_t equals = Find(variables, L'=', entry + 1);
        if (equals < entryEnd &&
            SameVariableName(&variables[entry], equals - entry, text.data() + begin, end - begin)) {
            value = equals + 1;
            length = entryEnd - value;
            return true;
        }
        entry = entryEnd + 1;
    }
    return false;
}
} // namespace

bool EnvironmentValueIs(const WideText& value, const char* word)
{
    std::size_t at = 0;
    while (at < value.size() && word[at] != '\0' && (value[at] | 0x20) == static_cast<wchar_t>(word[at])) {
        ++at;
    }
    return at == value.size() && word[at] == '\0';
}

void ExpandVariables(const WideText& text, const Environment& variables, WideText& expanded, UnknownName& unknown)
{
    expanded.clear();
    unknown = UnknownName();
    for (std::size_t at = 0, end; at < text.size(); at = end) {
        // As written: a character, or a name that names no variable up to its closing '%',
        // which may open the next reference.
        end = at + 1;
        const std::size_t close = text[at] == L'%' ? Find(text, L'%', end) : text.size();
        std::size_t value = 0;
        std::size_t length = 0;
        if (close < text.size() && Lookup(variables, text, end, close, value, length)) {
            expanded.insert(expanded.end(), variables.data() + value, variables.data() + value + length);
            end = close + 1;
            continue;
        }
        if (close < text.size()) {
            // Between two folders' percent signs stands a piece of a path, not a name, once the
            // path has its root ("C:\\", "\\\\"): without one it would be sought in the current folder.
            const auto separator = [](wchar_t c) {
                return c == L'\\' || c == L'/';
            };
            const bool rooted = (expanded.size() >= 3 && expanded[1] == L':' && separator(expanded[2])) ||
                                (expanded.size() >= 2 && separator(expanded[0]) && separator(expanded[1]));
            bool name = close > end && unknown.at == UnknownName::kNone;
            for (std::size_t i = end; i < close && rooted; ++i) {
                name = name && !separator(text[i]);
            }
            if (name) {
                unknown.at = expanded.size();
                unknown.name.assign(text.data() + end, text.data() + close);
            }
            end = close;
        }
        expanded.insert(expanded.end(), text.data() + at, text.data() + end);
    }
}

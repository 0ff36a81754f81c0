// Fuzzes the code-page aware text helpers against plain definitions: the search finds the
// leftmost match at a character boundary and no earlier one, the last separator is at a
// boundary, and upper-casing keeps the length and never touches a second byte.
#include "FuzzInput.h"

#include <vector>

namespace {
std::vector<std::size_t> Boundaries(const std::string& text, const CodePage& codePage)
{
    std::vector<std::size_t> starts;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos, codePage)) {
        starts.push_back(pos);
    }
    return starts;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzInput input = SplitFuzzInput(data, size);
    const std::string& haystack = input.first;
    const std::string& needle = input.second;
    const std::vector<std::size_t> starts = Boundaries(haystack, input.codePage);

    long long expected = needle.empty() ? 0 : -1;
    for (std::size_t start : starts) {
        if (expected < 0 && haystack.compare(start, needle.size(), needle) == 0 &&
            start + needle.size() <= haystack.size()) {
            expected = static_cast<long long>(start);
        }
    }
    FUZZ_CHECK(SearchText(haystack, needle, input.codePage) == expected);

    const long long last = FindLastOf(haystack, "\\/", input.codePage);
    long long lastExpected = -1;
    for (std::size_t start : starts) {
        if (CharLength(haystack, start, input.codePage) == 1 && (haystack[start] == '\\' || haystack[start] == '/')) {
            lastExpected = static_cast<long long>(start);
        }
    }
    FUZZ_CHECK(last == lastExpected);

    std::string upper = haystack;
    UpperCaseInPlace(upper, input.codePage);
    FUZZ_CHECK(upper.size() == haystack.size());
    for (std::size_t start : starts) {
        if (CharLength(haystack, start, input.codePage) == 2) {
            FUZZ_CHECK(upper[start] == haystack[start]); // the test table keeps lead bytes
        } else {
            const char c = haystack[start];
            FUZZ_CHECK(upper[start] == (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c));
        }
    }
    return 0;
}

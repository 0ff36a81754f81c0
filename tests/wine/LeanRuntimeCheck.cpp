// The shipped image's own throw helpers (launcher/LeanRuntime.cpp): memory that cannot be
// had reaches the launcher's out-of-memory path as std::bad_alloc, however the library
// noticed it. Exits 0 when every case throws it; prints the first that does not.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

namespace {
template <typename Step>
bool ThrowsBadAlloc(Step step)
{
    try {
        step();
    } catch (const std::bad_alloc&) {
        return true;
    }
    return false;
}
} // namespace

int main()
{
    std::string text;
    std::vector<wchar_t> wide;
    const struct {
        const char* what;
        bool threw;
    } cases[] = {
        {"a string past its largest size", ThrowsBadAlloc([&text] { text.reserve(text.max_size() + 1); })},
        {"a vector past its largest size", ThrowsBadAlloc([&wide] { wide.reserve(wide.max_size() + 1); })},
        {"a string grown past its largest size", ThrowsBadAlloc([&text] { text.append(text.max_size(), 'x'); })},
    };
    for (const auto& c : cases) {
        if (!c.threw) {
            std::printf("no std::bad_alloc for %s\n", c.what);
            return 1;
        }
    }
    std::printf("lean runtime: %zu cases throw std::bad_alloc\n", sizeof cases / sizeof *cases);
    return 0;
}

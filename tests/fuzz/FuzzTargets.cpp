// libFuzzer targets for the launcher's pure parts, one per build (FUZZ_TARGET names it),
// under AddressSanitizer and UndefinedBehaviorSanitizer; the text helpers' results are
// checked against plain definitions as well. The first input byte picks the code page (single-byte,
// shaped like 932, or UTF-8); the rest is cut into two texts at its first 0xFF byte.
#include "launcher/CommandTail.h"
#include "launcher/LaunchSequence.h"
#include "launcher/UninstallerDiscovery.h"
#include "platform/ProcessRunner.h"

#include "FakePlatform.h"

#include <cstdio>
#include <cstdlib>

// A property that does not hold ends the run, and the fuzzer keeps the input.
#define CHECK(condition) ((condition) ? void() : (std::fprintf(stderr, "failed: %s\n", #condition), std::abort()))

// Crashes, reads past a buffer and undefined behaviour only (the sanitizers report them):
// what these give is proven in the native tests, where a wrong result is told apart.
void FuzzCommandTail(const CodePage& codePage, const std::string& line, const std::string&)
{
    CutCommandTail(line, codePage);
}

// Against plain definitions: the search finds the leftmost match at a character boundary,
// the last separator is one at a boundary, upper-casing keeps the length and lead bytes.
void FuzzAnsiText(const CodePage& codePage, const std::string& text, const std::string& needle)
{
    long long first = needle.empty() ? 0 : -1, last = -1;
    std::string upper = text;
    UpperCaseInPlace(upper, codePage);
    CHECK(upper.size() == text.size());
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos, codePage)) {
        if (first < 0 && text.compare(pos, needle.size(), needle) == 0 && pos + needle.size() <= text.size()) {
            first = static_cast<long long>(pos);
        }
        const bool single = CharLength(text, pos, codePage) == 1;
        last = single && (text[pos] == '\\' || text[pos] == '/') ? static_cast<long long>(pos) : last;
        const char c = text[pos];
        CHECK(upper[pos] == (single && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c));
    }
    CHECK(SearchText(text, needle, codePage) == first);
    CHECK(FindLastOf(text, "\\/", codePage) == last);
}

// Crashes and undefined behaviour only, as FuzzCommandTail.
void FuzzModuleDirectory(const CodePage& codePage, const std::string& path, const std::string&)
{
    ModuleDirectoryFromPath(path, codePage);
}

// What becomes of an uninstall entry and the launcher's arguments: the program in front of
// the switch, the file started and the child's command line, for crashes and undefined
// behaviour; the installer's parameters against their definition.
void FuzzUninstallEntry(const CodePage& codePage, const std::string& value, const std::string& tail)
{
    std::string candidate;
    CutUninstallerCandidate(value, codePage, candidate);
    CHECK(BuildInstallerParameters(tail, "C:\\Kit\\") == tail + " /config=\"C:\\Kit\\setup.cfg\"");
    UseCodePage(codePage);
    unsigned long error = 0;
    ChooseProgramFile(
        value, [](const std::string& file) { return file.size() % 3 == 0 ? 0UL : 2UL; }, error);
    BuildChildCommandLine(value, tail);
}
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const CodePage codePages[] = {AsciiCodePage(), DoubleByteTestCodePage(), Utf8TestCodePage()};
    const CodePage& codePage = codePages[size > 0 ? data[0] % 3 : 0];
    const std::string rest = size > 0 ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1) : "";
    const std::size_t split = std::min(rest.find('\xFF'), rest.size());
    FUZZ_TARGET(codePage, rest.substr(0, split), rest.substr(std::min(split + 1, rest.size())));
    return 0;
}

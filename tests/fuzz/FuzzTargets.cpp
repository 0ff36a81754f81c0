// libFuzzer targets for the launcher's pure parts, one per build (FUZZ_TARGET names it): crashes,
// reads past a buffer, undefined behaviour, and what holds whatever the input (right results are the
// native tests' to prove). The first input byte picks the code page (single-byte, 932-like or UTF-8);
// the rest is cut into two texts at its first 0xFF byte.
#include "launcher/LaunchSequence.h"
#include "launcher/UninstallerDiscovery.h"
#include "platform/ProcessRunner.h"

#include "FakePlatform.h"

#include <cstdio>
#include <cstdlib>

// A property that does not hold ends the run, and the fuzzer keeps the input.
#define CHECK(condition) ((condition) ? void() : (std::fprintf(stderr, "failed: %s\n", #condition), std::abort()))

void FuzzAnsiText(const CodePage& codePage, const std::string& text, const std::string& needle)
{
    std::string upper = text;
    UpperCaseInPlace(upper, codePage);
    CHECK(upper.size() == text.size());
    const long long found = SearchText(text, needle, codePage);
    CHECK(found < 0 || text.compare(static_cast<std::size_t>(found), needle.size(), needle) == 0);
    const long long last = FindLastOf(text, "\\/", codePage);
    CHECK(last < 0 || text[static_cast<std::size_t>(last)] == '\\' || text[static_cast<std::size_t>(last)] == '/');
    const std::string directory = ModuleDirectoryFromPath(text, codePage);
    CHECK(!directory.empty() && directory.back() == '\\' &&
          text.compare(0, directory.size() - 1, directory, 0, directory.size() - 1) == 0);
    const std::string tail = CutCommandTail(text, codePage);
    CHECK(text.compare(text.size() - tail.size(), tail.size(), tail) == 0);
}

// An uninstall entry and the launcher's arguments: the program cut, the file chosen, the child's command line.
void FuzzUninstallEntry(const CodePage& codePage, const std::string& value, const std::string& tail)
{
    std::string candidate;
    CutUninstallerCandidate(value, codePage, candidate);
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

// Fuzzes the module directory: never empty, always ending in a backslash, and made of the
// module path's own first bytes, with at most one backslash added.
#include "FuzzInput.h"
#include "launcher/LaunchSequence.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzInput input = SplitFuzzInput(data, size);
    const std::string& path = input.first;
    const std::string directory = ModuleDirectoryFromPath(path, input.codePage);
    FUZZ_CHECK(!directory.empty() && directory.back() == '\\');
    // Either the path's first bytes as they are, or those and one added backslash.
    const bool whole = directory.size() <= path.size() && path.compare(0, directory.size(), directory) == 0;
    const std::string body = directory.substr(0, directory.size() - 1);
    const bool added = body.size() <= path.size() && path.compare(0, body.size(), body) == 0;
    FUZZ_CHECK(whole || added);
    return 0;
}

// Fuzzes cutting the command tail: whatever the command line, the tail is a suffix of it
// and never begins with a blank or control character.
#include "FuzzInput.h"
#include "launcher/CommandTail.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzInput input = SplitFuzzInput(data, size);
    const std::string tail = CutCommandTail(input.first, input.codePage);
    FUZZ_CHECK(tail.size() <= input.first.size());
    FUZZ_CHECK(input.first.compare(input.first.size() - tail.size(), tail.size(), tail) == 0);
    FUZZ_CHECK(tail.empty() || static_cast<unsigned char>(tail[0]) == 0 || static_cast<unsigned char>(tail[0]) > ' ');
    return 0;
}

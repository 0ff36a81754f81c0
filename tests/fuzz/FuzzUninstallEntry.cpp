// Fuzzes what the launcher makes of an uninstall entry and its own arguments: the program
// cut in front of the switch, the installer's parameters, the file the runner would start
// and the child's command line.
#include "FuzzInput.h"
#include "launcher/LaunchSequence.h"
#include "launcher/UninstallerDiscovery.h"
#include "platform/ProcessRunner.h"

namespace {
bool Exists(const std::string& file)
{
    return file.size() % 3 == 0; // some candidates exist, some do not
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzInput input = SplitFuzzInput(data, size);
    const std::string& value = input.first;
    std::string candidate = "untouched";
    if (CutUninstallerCandidate(value, input.codePage, candidate)) {
        FUZZ_CHECK(value.compare(0, candidate.size(), candidate) == 0);
        std::string switchPart = value.substr(candidate.size(), 10);
        UpperCaseInPlace(switchPart, input.codePage);
        FUZZ_CHECK(switchPart == "/UNINSTALL");
    } else {
        FUZZ_CHECK(candidate == "untouched");
    }

    const std::string parameters = BuildInstallerParameters(input.second, "C:\\Kit\\");
    FUZZ_CHECK(parameters == input.second + " /config=\"C:\\Kit\\setup.cfg\"");

    UseCodePage(input.codePage);
    const std::string program = ChooseProgramFile(value, &Exists);
    FUZZ_CHECK(program.empty() || program.find(value) != std::string::npos);
    const std::string commandLine = BuildChildCommandLine(value, input.second);
    FUZZ_CHECK(commandLine.compare(0, value.size(), value) == 0);
    return 0;
}

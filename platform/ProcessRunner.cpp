// Which file to start, and the child's command line; see ProcessRunner.h.
#include "ProcessRunner.h"
#include "Text.h"

ProgramFileRule ProgramFileFor(const std::string& name)
{
    const CodePage& codePage = ActiveCodePage();
    ProgramFileRule rule{name};
    std::size_t filePartStart = 0;
    const long long lastSeparator = FindLastOf(name, "\\/", codePage);
    const long long colon = SearchText(name, ":", codePage);
    if (lastSeparator >= 0) {
        filePartStart = static_cast<std::size_t>(lastSeparator + 1);
    } else if (colon >= 0) {
        filePartStart = static_cast<std::size_t>(colon + 1);
    } else {
        // A bare name means the current folder, never the search path.
        rule.file = ".\\" + name;
    }
    rule.triesExtensions = SearchText(name.substr(filePartStart), ".", codePage) < 0;
    return rule;
}

std::string ChooseProgramFile(const std::string& name, unsigned long (*look)(const std::string& file),
                              unsigned long& error)
{
    const ProgramFileRule rule = ProgramFileFor(name);
    if (!rule.triesExtensions) {
        error = look(rule.file);
        return error == 0 ? rule.file : std::string();
    }
    for (const char* extension : {".com", ".exe", ".bat", ".cmd"}) {
        error = look(rule.file + extension);
        if (error == 0) {
            return rule.file + extension;
        }
    }
    return std::string();
}

std::string BuildChildCommandLine(const std::string& argument0, const std::string& argument1)
{
    return argument1.empty() ? argument0 : argument0 + " " + argument1;
}

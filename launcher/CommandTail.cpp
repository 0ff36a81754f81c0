// Cutting the command tail; see CommandTail.h.
#include "CommandTail.h"

std::string CutCommandTail(const std::string& commandLine, const CodePage& codePage)
{
    const auto code = [&](std::size_t pos) {
        return static_cast<unsigned char>(commandLine[pos]);
    };
    std::size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        // A quoted name runs to the next quote; a double-byte character is stepped over
        // whole so that its second byte never ends the name.
        pos = 1;
        while (pos < commandLine.size() && commandLine[pos] != '"') {
            pos += CharLength(commandLine, pos, codePage);
        }
        if (pos < commandLine.size()) {
            ++pos; // the closing quote goes with the name
        }
    } else {
        // Unquoted: the name runs to the first blank or control character. No trail byte
        // of a double-byte character is that low, so bytes can be tested one by one.
        while (pos < commandLine.size() && code(pos) > ' ') {
            ++pos;
        }
    }
    while (pos < commandLine.size() && code(pos) >= 1 && code(pos) <= ' ') {
        ++pos;
    }
    return commandLine.substr(pos);
}

// The line's form of a system error; see SystemError.h. The message comes from the
// system's side (SystemErrorWin.cpp), so this is built and tested natively as well.
#include "SystemError.h"

#include "AnsiText.h"

std::string WindowsError(unsigned long error)
{
    std::string text = SystemErrorText(error);
    while (!text.empty() && std::string_view("\r\n .").find(text.back()) != std::string_view::npos) {
        text.pop_back();
    }
    // Filled from nothing, the message's inserts would read past arguments it was never given.
    for (std::size_t at = 0; (at = text.find('%', at)) != std::string::npos; ++at) {
        const std::size_t end = text.find_first_not_of("0123456789", at + 1);
        if (end != at + 1) {
            text.replace(at, end - at, "it");
        }
    }
    std::string line = "Windows error ";
    AppendNumber(line, error);
    return text.empty() ? line : Join({line, ": ", text});
}

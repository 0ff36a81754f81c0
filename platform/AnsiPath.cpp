// Naming paths in the ANSI code page without best fit; see AnsiPath.h. The system's part,
// the conversion and the short form, is reached through SystemCodePage.h and AnsiPath.h,
// so this is built and tested natively as well.
#include "AnsiPath.h"

#include "SystemCodePage.h"

namespace {
bool ToAnsi(const WideText& wide, std::string& ansi)
{
    return WideToAnsi(wide.data(), wide.size(), ActiveCodePage().id, ansi);
}
} // namespace

bool AnsiPathName(const WideText& path, std::string& ansi)
{
    if (ToAnsi(path, ansi)) {
        return true;
    }
    const WideText shortPath = ShortPathForm(path);
    if (!shortPath.empty() && ToAnsi(shortPath, ansi)) {
        return true;
    }
    ansi.clear();
    return false;
}

bool AnsiModulePath(const WideText& modulePath, std::string& ansi)
{
    auto fileStart = modulePath.end();
    while (fileStart != modulePath.begin() && fileStart[-1] != L'\\' && fileStart[-1] != L'/') {
        --fileStart;
    }
    // The launcher's own file name may have been changed by whoever copied it; only the
    // folder must name the right setup.cfg.
    std::string file;
    ToAnsi(WideText(fileStart, modulePath.end()), file);
    if (!AnsiPathName(WideText(modulePath.begin(), fileStart), ansi)) {
        return false;
    }
    ansi += file;
    return true;
}

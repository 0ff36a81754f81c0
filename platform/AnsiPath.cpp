// Naming paths in the ANSI code page without best fit; see AnsiPath.h. The system's part,
// the conversion and the short form, is reached through TextConversion.h and AnsiPath.h,
// so this is built and tested natively as well.
#include "AnsiPath.h"

#include "AnsiText.h"

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

namespace {
WideText::const_iterator FileNameStart(WideText::const_iterator begin, WideText::const_iterator end)
{
    while (end != begin && end[-1] != L'\\' && end[-1] != L'/') {
        --end;
    }
    return end;
}
} // namespace

bool AnsiModulePath(const WideText& modulePath, std::string& ansi)
{
    if (modulePath.empty()) {
        ansi.clear();
        return false; // a setup.cfg "beside" no path would be one in the drive's root
    }
    const auto fileStart = FileNameStart(modulePath.begin(), modulePath.end());
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

bool AnsiProgramPath(const WideText& path, std::string& ansi)
{
    auto end = path.end();
    while (end != path.begin() && end[-1] == L' ') {
        --end;
    }
    const WideText named(path.begin(), end);
    const auto fileStart = FileNameStart(named.begin(), named.end());
    std::string file;
    if (!AnsiPathName(named, ansi) &&
        !(ToAnsi(WideText(fileStart, named.end()), file) && AnsiPathName(WideText(named.begin(), fileStart), ansi))) {
        ansi.clear();
        return false;
    }
    ansi += file;
    ansi.append(static_cast<std::size_t>(path.end() - end), ' ');
    return true;
}

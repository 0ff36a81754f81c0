// Finding a usable uninstaller; see UninstallerDiscovery.h.
#include "UninstallerDiscovery.h"

#include "Diagnostics.h"
#include "platform/ProcessRunner.h"
#include "platform/RegistryReader.h"

#include <algorithm>

const char* const ProductUninstallKeys[8] = {
    "Trelvo - Ruzod Iri!UninstallKey",
    "RedadaVador!UninstallKey",
    "TTAL!UninstallKey",
    "TOVUninstallKey", // this product's installer writes it without the exclamation mark
    "TrelvoQuent!UninstallKey",
    "TrelvoVantelo!UninstallKey",
    "TrelvoLumio!UninstallKey",
    "TrelvoHeddle!UninstallKey",
};

const char* const kUninstallList = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool CutUninstallerCandidate(const std::string& uninstallString, const CodePage& codePage, std::string& candidate)
{
    // In an upper-cased copy of the same length: the candidate keeps the letter case as read.
    std::string upper = uninstallString;
    UpperCaseInPlace(upper, codePage);
    const long long pos = SearchText(upper, "/UNINSTALL", codePage);
    if (pos < 0) {
        return false;
    }
    candidate = uninstallString.substr(0, static_cast<std::size_t>(pos));
    return true;
}

namespace {
// The types an installer may have written instead of a string by name, others by number.
std::string RegistryTypeName(std::uint32_t type)
{
    const char* const names[] = {"REG_NONE", nullptr,        nullptr, "REG_BINARY", "REG_DWORD", nullptr,
                                 nullptr,    "REG_MULTI_SZ", nullptr, nullptr,      nullptr,     "REG_QWORD"};
    if (type < 12 && names[type] != nullptr) {
        return names[type];
    }
    // As stored: a type from 2^31 on is no negative number.
    std::string text = "of type ";
    AppendNumber(text, type);
    return text;
}

// Why an entry was passed over before any program was looked at.
std::string UnreadReason(RegistryRead read, std::uint32_t type, unsigned long error)
{
    switch (read) {
    case RegistryRead::NoKey:
        return Join({"no such entry in the registry's ", sizeof(void*) == 4 ? "32" : "64",
                     "-bit view, which this launcher reads"});
    case RegistryRead::NoValue:
        return "the entry has no UninstallString";
    case RegistryRead::NotAString:
        return Join({"its UninstallString is ", RegistryTypeName(type), ", not a string (REG_SZ or REG_EXPAND_SZ)"});
    default:
        return Join({"its UninstallString cannot be read (", WindowsError(error), ")"});
    }
}

void TracePassedOver(const std::string& subkeyName, const std::string& reason)
{
    TraceStep(Join({subkeyName, " passed over: ", reason}));
}

// Why the program an entry names was not taken.
std::string ProgramReason(const std::string& candidate, const std::string& file, unsigned long error,
                          FileVersion64 version)
{
    if (file.empty()) {
        const ProgramFileRule rule = ProgramFileFor(candidate);
        return Join({"no such file '", rule.file, "'", rule.triesExtensions ? " with .com, .exe, .bat or .cmd" : "",
                     " (", WindowsError(error), ")"});
    }
    // Only these two errors mean no version resource; another (a file held open without sharing,
    // a medium gone) says nothing of its version. One read without an error is its own, 0 too.
    if (version == 0 && (error == kNoResourceSection || error == kNoVersionResource)) {
        return Join({"no version resource in '", file, "'"});
    }
    if (version == 0 && error != 0) {
        return Join({"its version cannot be read (", WindowsError(error), "), file '", file, "'"});
    }
    return Join(
        {"file version ", VersionText(version), " of '", file, "', below ", VersionText(MinimumUninstallerVersion)});
}

// A %NAME% that expanding left as written: where its '%' stands in the expansion, and NAME.
struct UnknownName {
    static constexpr std::size_t kNone = ~std::size_t(0);
    std::size_t at = kNone;
    WideText name;
};

// text in the code page, '?' for what it lacks; true when it holds everything.
bool InCodePage(const WideText& text, std::string& ansi)
{
    return WideToAnsi(text.data(), text.size(), ActiveCodePage().id, ansi);
}

// The first characters of text whose form in the code page ('?' for each it lacks) is bytes long.
WideText WidePrefixOfAnsiLength(const WideText& text, std::size_t bytes)
{
    std::size_t length = 0;
    std::string character;
    for (std::size_t converted = 0; converted < bytes && length < text.size();) {
        const std::size_t units = IsSurrogatePairAt(text, length) ? 2 : 1;
        WideToAnsi(&text[length], units, ActiveCodePage().id, character);
        converted += character.size();
        length += units;
    }
    return WideText(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
}

WideText::const_iterator FileNameStart(WideText::const_iterator begin, WideText::const_iterator end)
{
    while (end != begin && end[-1] != L'\\' && end[-1] != L'/') {
        --end;
    }
    return end;
}

// Where text holds c from from on; text.size() when it does not.
std::size_t Find(const WideText& text, wchar_t c, std::size_t from)
{
    while (from < text.size() && text[from] != c) {
        ++from;
    }
    return from;
}

// Where the value of the variable named text[begin, end) begins, and its length; false if none.
bool Lookup(const Environment& variables, const WideText& text, std::size_t begin, std::size_t end, std::size_t& value,
            std::size_t& length)
{
    for (std::size_t entry = 0; entry < variables.size();) {
        const std::size_t entryEnd = Find(variables, L'\0', entry);
        const std::size_t equals = Find(variables, L'=', entry + 1);
        if (equals < entryEnd &&
            SameVariableName(&variables[entry], equals - entry, text.data() + begin, end - begin)) {
            value = equals + 1;
            length = entryEnd - value;
            return true;
        }
        entry = entryEnd + 1;
    }
    return false;
}

// text as the system expands a REG_EXPAND_SZ value, in one pass: a %NAME% of variables becomes
// its value; one of none stays and the scan goes on from its closing '%'; a lone '%' or "%%"
// stays. unknown is the first name left as written (a folder relative to the current one, where
// anyone may make one named %NAME%), unless it holds a separator in a path that has its root.
void ExpandVariables(const WideText& text, const Environment& variables, WideText& expanded, UnknownName& unknown)
{
    expanded.clear();
    unknown = UnknownName();
    for (std::size_t at = 0, end; at < text.size(); at = end) {
        // As written: a character, or a name of no variable up to its closing '%'.
        end = at + 1;
        const std::size_t close = text[at] == L'%' ? Find(text, L'%', end) : text.size();
        std::size_t value = 0;
        std::size_t length = 0;
        if (close < text.size() && Lookup(variables, text, end, close, value, length)) {
            expanded.insert(expanded.end(), variables.data() + value, variables.data() + value + length);
            end = close + 1;
            continue;
        }
        if (close < text.size()) {
            // In a path with its root ("C:\\", "\\\\") a separator makes it two folders' names.
            const auto separator = [](wchar_t c) {
                return c == L'\\' || c == L'/';
            };
            const bool rooted = (expanded.size() >= 3 && expanded[1] == L':' && separator(expanded[2])) ||
                                (expanded.size() >= 2 && separator(expanded[0]) && separator(expanded[1]));
            bool name = close > end && unknown.at == UnknownName::kNone;
            for (std::size_t i = end; i < close && rooted; ++i) {
                name = name && !separator(text[i]);
            }
            if (name) {
                unknown.at = expanded.size();
                unknown.name.assign(text.data() + end, text.data() + close);
            }
            end = close;
        }
        expanded.insert(expanded.end(), text.data() + at, text.data() + end);
    }
}

// An expandable value names its program through the machine's variables, as the system's programs
// list reads it (as stored, it would name a folder relative to the current one). Where they cannot
// be had, only the program's part decides: without a '%' it is judged as it stands.
bool ExpandEntry(WideText& value, std::string& stored, UnknownName& unknown, std::string& reason)
{
    if (std::find(value.begin(), value.end(), L'%') == value.end()) {
        return true;
    }
    InCodePage(value, stored);
    Environment machine;
    unsigned long error = 0;
    if (!ReadMachineEnvironment(machine, error)) {
        std::string program;
        if (CutUninstallerCandidate(stored, ActiveCodePage(), program) && program.find('%') == std::string::npos) {
            return true;
        }
        reason = Join({"its UninstallString '", stored,
                       "' could not be expanded: the machine's variables cannot be had (", WindowsError(error), ")"});
        return false;
    }
    WideText expanded;
    ExpandVariables(value, machine, expanded, unknown);
    value.swap(expanded);
    return true;
}
} // namespace

bool AnsiProgramPath(const WideText& path, std::string& ansi)
{
    auto end = path.end();
    while (end != path.begin() && end[-1] == L' ') {
        --end;
    }
    const WideText named(path.begin(), end);
    const auto fileStart = FileNameStart(named.begin(), named.end());
    std::string file;
    if (!AnsiPathName(named, ansi) && !(InCodePage(WideText(fileStart, named.end()), file) &&
                                        AnsiPathName(WideText(named.begin(), fileStart), ansi))) {
        ansi.clear();
        return false;
    }
    ansi += file;
    ansi.append(static_cast<std::size_t>(path.end() - end), ' ');
    return true;
}

bool CheckUninstallEntry(const std::string& subkeyName, Uninstaller& found)
{
    WideText value;
    std::uint32_t type = 0;
    unsigned long error = 0;
    const RegistryRead read = ReadRegistryString(kUninstallList + subkeyName, "UninstallString", value, type, error);
    if (read != RegistryRead::Read) {
        TracePassedOver(subkeyName, UnreadReason(read, type, error));
        return false;
    }
    std::string stored;
    UnknownName unknown;
    std::string reason;
    if (type == kRegistryExpandableString && !ExpandEntry(value, stored, unknown, reason)) {
        TracePassedOver(subkeyName, reason);
        return false;
    }
    // Where the code page holds the whole text, the candidate is cut from it byte for byte.
    std::string text;
    const bool exact = InCodePage(value, text);
    std::string candidate;
    if (!CutUninstallerCandidate(text, ActiveCodePage(), candidate)) {
        TracePassedOver(subkeyName, Join({"no /UNINSTALL in its UninstallString '", text, "'"}));
        return false;
    }
    // An unknown name decides only in the program's part: what follows the switch is dropped.
    if (unknown.at < WidePrefixOfAnsiLength(value, candidate.size()).size()) {
        std::string name;
        InCodePage(unknown.name, name);
        TracePassedOver(subkeyName, Join({"its UninstallString '", stored, "' names the variable ", name,
                                          ", which is not defined on this machine"}));
        return false;
    }
    // Else the program is named from the text as stored: exactly, or by its short form.
    if (!exact) {
        const std::string lossy = candidate;
        if (!AnsiProgramPath(WidePrefixOfAnsiLength(value, lossy.size()), candidate)) {
            TracePassedOver(subkeyName, Join({"its program '", lossy, "' has no name in code page ",
                                              NumberText(ActiveCodePage().id), ", nor a short one"}));
            return false;
        }
    }
    // The program file is decided here, once: the version is read from the file both starts start.
    const std::string file = FindProgramFile(candidate, error);
    std::string fullPath;
    const FileVersion64 version =
        !file.empty() && GetFullPathAnsi(file, fullPath, error) ? GetFileVersion64(fullPath, error) : 0;
    if (!IsUsableUninstallerVersion(version)) {
        ShowDebugInfo(Join({"No UNxxx.exe or old version at'", candidate, "'"}));
        TracePassedOver(subkeyName, ProgramReason(candidate, file, error, version));
        return false;
    }
    found = {candidate, file, fullPath};
    return true;
}

bool FindUninstaller(Uninstaller& found)
{
    for (const char* subkeyName : ProductUninstallKeys) {
        if (CheckUninstallEntry(subkeyName, found)) {
            return true;
        }
    }
    return false;
}

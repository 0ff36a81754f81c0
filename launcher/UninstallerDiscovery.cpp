// Finding a usable uninstaller through the products' uninstall entries; see
// UninstallerDiscovery.h.
#include "UninstallerDiscovery.h"

#include "Diagnostics.h"
#include "platform/AnsiPath.h"
#include "platform/Environment.h"
#include "platform/ProcessRunner.h"
#include "platform/RegistryReader.h"
#include "platform/SystemError.h"

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
    // Search an upper-cased copy; it has the same length, so the position holds in the
    // value as read, whose letter case the candidate keeps.
    std::string upper = uninstallString;
    UpperCaseInPlace(upper, codePage);
    const long long pos = SearchText(upper, "/UNINSTALL", codePage);
    if (pos < 0) {
        return false;
    }
    candidate = TakeLeft(uninstallString, pos);
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
        return sizeof(void*) == 4 ? "no such entry in the registry's 32-bit view, which this launcher reads"
                                  : "no such entry in the registry's 64-bit view, which this launcher reads";
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

// Why the program an entry names was not taken: the runner's rule tells where it was
// looked for.
std::string ProgramReason(const std::string& candidate, const std::string& file, unsigned long error,
                          FileVersion64 version)
{
    if (file.empty()) {
        const ProgramFileRule rule = ProgramFileFor(candidate);
        return Join({"no such file '", rule.file, "'", rule.triesExtensions ? " with .com, .exe, .bat or .cmd" : "",
                     " (", WindowsError(error), ")"});
    }
    // Only these two errors mean the file has no version resource; any other (a file held
    // open without sharing, a medium gone) says nothing of the version it has. A version read
    // without an error is the file's own, 0.0.0.0 too.
    if (version == 0 && (error == kNoResourceSection || error == kNoVersionResource)) {
        return Join({"no version resource in '", file, "'"});
    }
    if (version == 0 && error != 0) {
        return Join({"its version cannot be read (", WindowsError(error), "), file '", file, "'"});
    }
    return Join(
        {"file version ", VersionText(version), " of '", file, "', below ", VersionText(MinimumUninstallerVersion)});
}
} // namespace

namespace {
// text in the code page, '?' for what it lacks; true when it holds everything.
bool InCodePage(const WideText& text, std::string& ansi)
{
    return WideToAnsi(text.data(), text.size(), ActiveCodePage().id, ansi);
}

// An expandable value names its program through the machine's variables, as the system's own
// programs list reads it; taken as stored, it would name a folder relative to the current
// one. A value without a variable stays exactly as stored (stored then stays empty). False,
// with the reason, where the machine's variables cannot be had.
bool ExpandEntry(WideText& value, std::string& stored, UnknownName& unknown, std::string& reason)
{
    if (std::find(value.begin(), value.end(), L'%') == value.end()) {
        return true;
    }
    InCodePage(value, stored);
    Environment machine;
    unsigned long error = 0;
    if (!ReadMachineEnvironment(machine, error)) {
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

bool CheckUninstallEntry(const std::string& subkeyName, std::string& path, std::string& programFile)
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
    // The text in the code page; where it holds everything, the candidate is cut from it
    // byte for byte.
    std::string text;
    const bool exact = InCodePage(value, text);
    std::string candidate;
    if (!CutUninstallerCandidate(text, ActiveCodePage(), candidate)) {
        TracePassedOver(subkeyName, Join({"no /UNINSTALL in its UninstallString '", text, "'"}));
        return false;
    }
    // A name no machine variable has decides only in the program's part: whatever follows
    // the switch (a per-user log folder, "50%") is the installer's, and the launcher drops it.
    if (unknown.at < WidePrefixOfAnsiLength(value, candidate.size()).size()) {
        std::string name;
        InCodePage(unknown.name, name);
        TracePassedOver(subkeyName, Join({"its UninstallString '", stored, "' names the variable ", name,
                                          ", which is not defined on this machine"}));
        return false;
    }
    // Otherwise the program path is named from the text as stored: exactly, or by its
    // short form, never as a look-alike of another file.
    if (!exact) {
        const std::string lossy = candidate;
        if (!AnsiProgramPath(WidePrefixOfAnsiLength(value, lossy.size()), candidate)) {
            TracePassedOver(subkeyName, Join({"its program '", lossy, "' has no name in code page ",
                                              NumberText(ActiveCodePage().id), ", nor a short one"}));
            return false;
        }
    }
    // The version is read from the very file that will be started: a bare name from the
    // current directory, a name without extension with the extension the runner adds.
    const std::string file = FindProgramFile(candidate, error);
    const FileVersion64 version = file.empty() ? 0 : GetFileVersion64(file, error);
    if (!IsUsableUninstallerVersion(version)) {
        ShowDebugInfo(Join({"No UNxxx.exe or old version at'", candidate, "'"}));
        TracePassedOver(subkeyName, ProgramReason(candidate, file, error, version));
        return false;
    }
    path = candidate;
    programFile = file;
    return true;
}

bool FindUninstaller(std::string& path, std::string& programFile)
{
    for (const char* subkeyName : ProductUninstallKeys) {
        if (CheckUninstallEntry(subkeyName, path, programFile)) {
            return true;
        }
    }
    return false;
}

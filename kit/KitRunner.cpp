// The test program's start in the kit (run-tests.cmd): its refusals, the clean-up of what bears the kit's mark
// before and after the tests (--clean-up: only that), work\ made afresh, the machine in the report, the closing line.
#include "kit/KitMarks.h"
#include "WineTestSupport.h"
#include "platform/System.h"
#include "platform/Text.h"

#include <aclapi.h>
#include <sddl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

// A program of the system folder by its full path, never one the current folder answers to: its exit code and output.
int RunSystemProgram(const std::string& program, const std::string& arguments, std::string& output)
{
    char system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    const DWORD error = length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
    // _popen starts the interpreter %ComSpec% names, which a user's own variable can set: the system's, always.
    const bool named = length != 0 && length < MAX_PATH;
    if (!named || _putenv(("ComSpec=" + std::string(system) + "\\cmd.exe").c_str()) != 0) {
        output = named ? std::string("ComSpec cannot be set: ") + std::strerror(errno)
                       : "the system folder cannot be named: " + WindowsError(error);
        return -1;
    }
    FILE* answer =
        _popen(("\"\"" + std::string(system) + "\\" + program + "\" " + arguments + " 2>&1\"").c_str(), "rb");
    char buffer[512];
    for (std::size_t read; answer != nullptr && (read = std::fread(buffer, 1, sizeof buffer, answer)) != 0;) {
        output.append(buffer, read);
    }
    return answer != nullptr ? _pclose(answer) : -1;
}

// What bears the tests' names: the kit's own (found or removed), another's (always left), the kit's stuck (with why).
struct Leftovers {
    std::vector<std::string> kits, others, stuck;
};

std::string Why(DWORD error)
{
    return error == ERROR_SUCCESS ? "" : WindowsError(error);
}

Leftovers Survey(bool remove, const wchar_t* work)
{
    Leftovers found;
    const auto sort = [&found, remove](const std::string& name, bool marked, auto removeIt) {
        const std::string failed = marked && remove ? removeIt() : "";
        auto& list = !marked ? found.others : failed.empty() ? found.kits : found.stuck;
        list.push_back(failed.empty() ? name : name + ", the kit's: " + failed);
    };
    const bool wow64 = IsWindows64Bit() == Answer::Yes;
    const auto key = [&](const std::string& subKey) {
        for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            bool marked = false;
            if ((view == KEY_WOW64_32KEY || wow64) && KeyExists(subKey, view, marked)) { // 32-bit Windows has one
                const std::string inView =
                    wow64 ? std::string(view == KEY_WOW64_64KEY ? "64" : "32") + "-bit view" : "the one registry view";
                sort("HKLM\\" + subKey + " (" + inView + ")", marked, [&] { return Why(RemoveKitKey(subKey, view)); });
            }
        }
    };
    for (const char* product : ProductUninstallKeys) {
        key(kUninstallList + std::string(product));
    }
    key(kTestsKey);
    bool userMarked = false;
    if (UserVariableExists(userMarked)) {
        sort("the user's variable " + Narrow(kKitUserVariable) + " (HKCU\\Environment)", userMarked, [] {
            return Why(static_cast<DWORD>(RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Environment", kKitUserVariable)));
        });
    }
    const std::wstring folder = KitProgramFolder();
    if (!folder.empty() && GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
        sort(Narrow(folder), BearsKitMark(folder), [] { return Why(RemoveKitProgramFolder()); });
    }
    // The kit's task names this kit's work\ in its definition (UTF-16); under Wine the tests make none.
    const bool kit = work != nullptr && *work != L'\0';
    const std::string task = std::string(" /tn \"") + kKitTask + "\"";
    std::string answer;
    if (!RunsUnderWine() && RunSystemProgram("schtasks.exe", "/query /xml" + task, answer) == 0) {
        const std::wstring defined(reinterpret_cast<const wchar_t*>(answer.data()), answer.size() / sizeof(wchar_t));
        sort(std::string("the scheduled task ") + kKitTask, kit && defined.find(work) != std::wstring::npos, [&task] {
            std::string said;
            const bool deleted = RunSystemProgram("schtasks.exe", "/delete /f" + task, said) == 0;
            return deleted ? "" : "schtasks /delete failed: " + said;
        });
    }
    // What a test started may hold work\ a moment after it ended (Wine's console host; on Windows a scanner, a
    // pending deletion): tried again, for a minute at most.
    if (kit && GetFileAttributesW(work) != INVALID_FILE_ATTRIBUTES) {
        sort(Narrow(work), true, [work] {
            DWORD failed = RemoveTree(work);
            for (int tries = 0; tries < 600 && (failed == ERROR_SHARING_VIOLATION || failed == ERROR_ACCESS_DENIED ||
                                                failed == ERROR_DIR_NOT_EMPTY);
                 ++tries, failed = RemoveTree(work)) {
                Sleep(100);
            }
            return Why(failed);
        });
    }
    return found;
}

// The kit's folder as a door: who but administrators, SYSTEM, the installer service and the kit's own account may
// change or own it, or move it through a folder above, and so swap what the tests start: a line naming them, or empty.
std::string WhoCouldSwap(std::wstring folder)
{
    alignas(TOKEN_USER) BYTE user[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)] = {};
    HANDLE opened = nullptr;
    DWORD size = 0;
    const bool known = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened);
    const UniqueHandle token(opened);
    PSID service = nullptr;
    if (!known || !GetTokenInformation(token.get(), TokenUser, user, sizeof user, &size) ||
        !ConvertStringSidToSidW(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", &service)) {
        return "anyone, for the kit's own account or the installer service's cannot be read: " +
               WindowsError(GetLastError());
    }
    const KitLocal installer(service);
    std::string others;
    const auto add = [&others](const std::string& who) {
        others += others.find(who) != std::string::npos ? "" : (others.empty() ? "" : ", ") + who;
    };
    const auto check = [&](PSID sid) {
        wchar_t name[256] = {}, domain[256] = {};
        DWORD nameSize = 256, domainSize = 256;
        SID_NAME_USE use;
        if (!IsWellKnownSid(sid, WinBuiltinAdministratorsSid) && !IsWellKnownSid(sid, WinLocalSystemSid) &&
            !IsWellKnownSid(sid, WinCreatorOwnerRightsSid) && !EqualSid(sid, installer.get()) &&
            !EqualSid(sid, reinterpret_cast<TOKEN_USER*>(user)->User.Sid)) {
            add(LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)
                    ? Narrow(*domain != L'\0' ? std::wstring(domain) + L"\\" + name : name)
                    : "an account unknown here");
        }
    };
    const ACCESS_MASK move = DELETE | FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER;
    GENERIC_MAPPING files = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    for (ACCESS_MASK rights = move | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES;;
         rights = move) {
        PSID owner = nullptr;
        PACL list = nullptr;
        PSECURITY_DESCRIPTOR read = nullptr;
        const DWORD error = GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT,
                                                  OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                                  nullptr, &list, nullptr, &read);
        const KitLocal descriptor(read); // holds owner and list
        others = error != ERROR_SUCCESS ? "anyone, for its access list cannot be read: " + WindowsError(error)
                 : list == nullptr      ? "everyone: it has no access list"
                                        : "";
        if (error == ERROR_SUCCESS) {
            check(owner);
        }
        for (DWORD at = 0; list != nullptr && at < list->AceCount; ++at) {
            ACCESS_ALLOWED_ACE* entry = nullptr;
            GetAce(list, at, reinterpret_cast<void**>(&entry));
            ACCESS_MASK mask = entry->Mask;
            MapGenericMask(&mask, &files);
            // An inherit-only entry gives nothing here; allowing kinds whose account is not read count as another's.
            const BYTE type = entry->Header.AceType;
            const bool plain = type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
            const bool allows = plain || type == ACCESS_ALLOWED_COMPOUND_ACE_TYPE ||
                                type == ACCESS_ALLOWED_OBJECT_ACE_TYPE ||
                                type == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE;
            if (allows && (entry->Header.AceFlags & INHERIT_ONLY_ACE) == 0 && (mask & rights) != 0) {
                plain ? check(&entry->SidStart) : add("an access entry of a kind this check cannot read");
            }
        }
        const std::size_t cut = folder.find_last_of(L'\\');
        if (!others.empty() || cut == std::wstring::npos || cut + 1 == folder.size()) {
            return others.empty() ? ""
                                  : Narrow(folder) + (rights == move ? ", a folder above the kit's," : "") +
                                        " can be changed by " + others;
        }
        folder.resize(cut == 2 ? 3 : cut); // "C:\\" is the last
    }
}

class RecordMachine : public ::testing::Environment {
    void SetUp() override
    {
        DWORD revision = 0, lua = 0, size = sizeof(DWORD), luaSize = size; // one size each: a failed read may change it
        RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "UBR",
                     RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &revision, &size);
        RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "EnableLUA",
                     RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &lua, &luaSize);
        const auto wine = TestFunction<const char*(CDECL*)()>("ntdll.dll", "wine_get_version");
        ::testing::Test::RecordProperty("windows_version", WindowsVersionAsReported() + "." + std::to_string(revision));
        ::testing::Test::RecordProperty("windows_bits", IsWindows64Bit() == Answer::Yes ? "64" : "32");
        ::testing::Test::RecordProperty("code_page", std::to_string(GetACP()));
        ::testing::Test::RecordProperty("user_account_control",
                                        std::string(lua != 0 ? "on" : "off") +
                                            (ReadTokenFacts().elevated ? ", elevated" : ", not elevated"));
        ::testing::Test::RecordProperty("wine", wine != nullptr ? wine() : "no");
    }
};

// The framework's own printer also hands failures and skips to OutputDebugString, which a 32-bit program with a
// second thread (the framework starts one then) does not survive under QEMU: the same lines, to standard output alone.
class Printer : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        std::printf("[ RUN      ] %s.%s\n", test.test_suite_name(), test.name());
    }
    void OnTestPartResult(const ::testing::TestPartResult& part) override
    {
        std::printf("%s:%d: %s\n%s\n", part.file_name() != nullptr ? part.file_name() : "unknown file",
                    part.line_number(), part.skipped() ? "Skipped" : "Failure", part.message());
    }
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        const ::testing::TestResult& result = *test.result();
        std::printf("%s %s.%s (%lld ms)\n",
                    result.Skipped()  ? "[  SKIPPED ]"
                    : result.Failed() ? "[  FAILED  ]"
                                      : "[       OK ]",
                    test.test_suite_name(), test.name(), static_cast<long long>(result.elapsed_time()));
        std::fflush(stdout);
    }
};
TEST(Kit, RemovesALinkInItsFolderNeverWhatItLeadsTo)
{
    const std::wstring folder = KitProgramFolder(), link = folder + L"\\link";
    const std::wstring target = (std::filesystem::temp_directory_path() / L"quorvane-link-target").wstring();
    const std::wstring ours = target + L"\\ours.txt";
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    std::ofstream(ours.c_str()) << "ours";
    for (const bool junction : {true, false}) {
        ASSERT_TRUE(CreateKitProgramFolder());
        const std::string mklink = std::string("/c mklink ") + (junction ? "/j \"" : "/d \"") + Narrow(link) + "\" \"";
        std::string said;
        RunSystemProgram("cmd.exe", mklink + Narrow(target) + "\"", said);
        const DWORD made = GetFileAttributesW(link.c_str());
        if ((made == INVALID_FILE_ATTRIBUTES || (made & FILE_ATTRIBUTE_REPARSE_POINT) == 0) && RunsUnderWine()) {
            RemoveKitProgramFolder();
            RemoveTree(target);
            GTEST_SKIP() << "Wine makes no junction nor directory link; the kit's check under Wine puts a link of the "
                            "host's, which Wine shows as one, in that folder";
        }
        ASSERT_TRUE(made != INVALID_FILE_ATTRIBUTES && (made & FILE_ATTRIBUTE_REPARSE_POINT) != 0) << said;
        EXPECT_EQ(RemoveTree(link), kFolderIsALink);
        EXPECT_EQ(RemoveKitProgramFolder(), 0u);
        EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(ReadWholeFile(Narrow(ours)), "ours") << (junction ? "junction" : "directory link");
    }
    EXPECT_EQ(RemoveTree(target), 0u);
}

void Say(const Leftovers& left, const char* who)
{
    for (const auto& [list, before, after] : {std::tuple(&left.kits, "removed ", ", the kit's"),
                                              std::tuple(&left.others, "left ", ": it does not bear the kit's mark"),
                                              std::tuple(&left.stuck, "could not remove ", "")}) {
        for (const std::string& what : *list) {
            std::printf("%s: %s%s%s\n", who, before, what.c_str(), after);
        }
    }
}
} // namespace

int main(int argc, char** argv)
{
    const wchar_t* work = _wgetenv(L"QUORVANE_KIT_WORK");
    const bool kit = work != nullptr && *work != L'\0';
    // The refusals, before anything changes; exit code 2 tells run-tests.cmd.
    const bool cleanUp = argc == 2 && std::string(argv[1]) == "--clean-up";
    const char* const who = cleanUp ? "run-tests.cmd --clean-up" : "run-tests.cmd";
    const auto refuse = [who](const std::string& why) {
        std::printf("%s: refused: %s Nothing was changed.\n", who, why.c_str());
        return 2;
    };
    if (!ReadTokenFacts().elevated) {
        return refuse(std::string("it needs an administrator's command prompt (Run as administrator): the tests' "
                                  "uninstall entries under HKEY_LOCAL_MACHINE, their folder under Program Files and "
                                  "their task as SYSTEM are an administrator's to ") +
                      (cleanUp ? "remove." : "write."));
    }
    wchar_t program[MAX_PATH] = {};
    const DWORD named = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (named == 0 || named == MAX_PATH) {
        return refuse("the kit's own folder cannot be named (" +
                      WindowsError(named == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER) + ").");
    }
    const std::wstring kitFolder = std::wstring(program).substr(0, std::wstring(program).find_last_of(L'\\'));
    // work\ is removed whole: only the kit's own, beside this program, never a folder a variable names.
    if (kit && _wcsicmp(work, (kitFolder + L"\\work").c_str()) != 0) {
        return refuse("QUORVANE_KIT_WORK names " + Narrow(work) + ", not this kit's own " + Narrow(kitFolder) +
                      "\\work.");
    }
    const std::string door = " not only by administrators and SYSTEM: another user could swap what the tests start "
                             "as administrator and as SYSTEM. Unpack the kit into a folder that only administrators "
                             "can change (test-kit.md, \"Unpacking it\").";
    if (const std::string swap = kit ? WhoCouldSwap(kitFolder) : ""; !swap.empty()) {
        return refuse(swap + "," + door);
    }
    if (cleanUp) {
        const Leftovers left = Survey(true, work);
        Say(left, who);
        if (left.kits.empty() && left.others.empty() && left.stuck.empty()) {
            std::printf("%s: nothing of the kit's was there\n", who);
        }
        return left.stuck.empty() ? 0 : 1;
    }
    Leftovers found = Survey(false, work);
    if (found.others.empty() && !found.kits.empty()) {
        std::puts("run-tests.cmd: an earlier run was interrupted; removing what it left (each with the kit's mark):");
        for (const std::string& kits : found.kits) {
            std::printf("  %s\n", kits.c_str());
        }
        found = Survey(true, work);
    }
    for (const std::string& other : found.others) {
        const bool product = other.rfind(std::string("HKLM\\") + kUninstallList, 0) == 0;
        std::printf("run-tests.cmd: refused: %s exists%s.\n", other.c_str(),
                    product ? ": a product the launcher looks for is installed here, and the tests would change "
                              "its entry. Run the kit on a machine without the products"
                            : ", not made by the kit, and the tests would use its name. Remove it, or run the kit "
                              "on another machine");
    }
    Say({{}, {}, found.stuck}, "run-tests.cmd: refused");
    if (!found.others.empty() || !found.stuck.empty()) {
        std::puts(found.stuck.empty() ? "Nothing was changed." : "Nothing else was changed.");
        return 2;
    }
    // work\ and the temporary folder run-tests.cmd names in it, made afresh only once nothing refused. The survey
    // removed an earlier run's: one there now is a refusal, with why, and run-tests.cmd keeps an earlier report.
    if (kit) {
        const std::wstring temp = std::wstring(work) + L"\\temp";
        const DWORD failed =
            CreateDirectoryW(work, nullptr) && CreateDirectoryW(temp.c_str(), nullptr) ? 0 : GetLastError();
        const std::string swap = failed == 0 ? WhoCouldSwap(work) : "";
        if (failed != 0 || !swap.empty()) {
            const std::string why =
                failed != 0 ? Narrow(work) + " could not be made afresh: " + WindowsError(failed) : swap + "," + door;
            std::printf("run-tests.cmd: refused: %s\n", why.c_str());
            return 2;
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new RecordMachine);
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new Printer);
    const int status = RUN_ALL_TESTS();
    // What the tests left, quietly unless something of the kit's stays.
    const Leftovers left = Survey(true, work);
    Say({{}, {}, left.stuck}, who);
    const ::testing::UnitTest& tests = *::testing::UnitTest::GetInstance();
    std::printf("%d passed, %d failed, %d skipped\n", tests.successful_test_count(), tests.failed_test_count(),
                tests.skipped_test_count());
    return left.stuck.empty() ? status : 1;
}

// The test kit's start of the test program (kit/run-tests.cmd starts it on Windows, the test
// command under Wine): the refusals, the clean-up, the report's record of the machine, the closing line.
// The tests write uninstall entries of the products and a few other things outside the kit's folder, each with
// the kit's mark (KitMarks.h); nothing without that mark is ever removed. Before the tests it refuses (exit 2, and
// why) at a prompt without elevation, or where an entry of a product or another thing of the tests' names is there
// without the mark; what an interrupted run left with the mark it removes first, then makes the tests' folder
// afresh (QUORVANE_KIT_WORK), and what the tests leave it removes last. With --clean-up it only removes what bears the
// mark and says what it removed and what it left. A run records the machine in the XML report (Windows' exact version,
// bitness, code page, User Account Control) and ends with the line "N passed, N failed, N skipped".
#include "kit/KitMarks.h"
#include "platform/SystemError.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// What the tests may leave outside the kit's folder: the kit's own, and what bears its names
// but not its mark.
struct Leftovers {
    std::vector<std::string> kits;
    std::vector<std::string> others;
};

// What is there; with remove, the kit's own is removed (what cannot be is counted among the
// others, with why).
Leftovers Survey(bool remove)
{
    Leftovers found;
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const auto key = [&](const std::string& subKey, REGSAM view) {
        bool marked = false;
        if (!KeyExists(subKey, view, &marked)) {
            return;
        }
        const std::string name = "HKLM\\" + subKey + " (" + (wow64 ? ViewName(view) : "the one registry view") + ")";
        if (!marked) {
            found.others.push_back(name);
        } else if (!remove || RemoveKitKey(subKey, view)) {
            found.kits.push_back(name);
        } else {
            found.others.push_back(name + ", the kit's, which could not be removed");
        }
    };
    for (const char* product : ProductUninstallKeys) {
        key(kUninstallList + product, KEY_WOW64_32KEY);
        if (wow64) { // 32-bit Windows has one view
            key(kUninstallList + product, KEY_WOW64_64KEY);
        }
    }
    key("SOFTWARE\\QuorvaneTests", KEY_WOW64_32KEY);
    const std::string folder = KitProgramFolder();
    if (!folder.empty() && GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (GetFileAttributesA((folder + "\\" + kMarkFile).c_str()) == INVALID_FILE_ATTRIBUTES) {
            found.others.push_back(folder);
        } else if (remove && !RemoveKitProgramFolder()) {
            found.others.push_back(folder + ", the kit's, which could not be removed");
        } else {
            found.kits.push_back(folder);
        }
    }
    bool thisKits = false;
    if (KitTaskExists(&thisKits)) {
        const std::string task = std::string("the scheduled task ") + kKitTask;
        if (!thisKits) {
            found.others.push_back(task);
        } else if (remove && std::system("schtasks /delete /f /tn \"Quorvane Test Kit\" >nul 2>&1") != 0) {
            found.others.push_back(task + ", the kit's, which could not be removed");
        } else {
            found.kits.push_back(task);
        }
    }
    return found;
}

// Removes path, a folder with all it holds or a file, without going through a link: a junction
// or a directory link is removed itself, never what it leads to (the runtime's remove_all walks
// into them). 0, or the Windows error of the first removal that failed.
DWORD RemoveTree(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
    }
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    DWORD failed = 0;
    WIN32_FIND_DATAW entry;
    const HANDLE found = folder && !link ? FindFirstFileW((path + L"\\*").c_str(), &entry) : INVALID_HANDLE_VALUE;
    for (BOOL more = found != INVALID_HANDLE_VALUE; more && failed == 0; more = FindNextFileW(found, &entry)) {
        const std::wstring name = entry.cFileName;
        failed = name == L"." || name == L".." ? 0 : RemoveTree(path + L"\\" + name);
    }
    if (found != INVALID_HANDLE_VALUE) {
        FindClose(found);
    }
    if (failed == 0 && !(folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str()))) {
        failed = GetLastError();
    }
    return failed;
}

bool Elevated()
{
    HANDLE token = nullptr;
    TOKEN_ELEVATION elevation{};
    DWORD length = 0;
    const bool known = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) &&
                       GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length);
    CloseHandle(token);
    return known && elevation.TokenIsElevated != 0;
}

// The machine as the report records it.
class RecordMachine : public ::testing::Environment {
    void SetUp() override
    {
        const auto ntdll = GetModuleHandleA("ntdll.dll");
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        reinterpret_cast<LONG(WINAPI*)(OSVERSIONINFOW*)>(
            reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")))(&info);
        DWORD revision = 0, lua = 0, size = sizeof(DWORD);
        RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "UBR",
                     RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &revision, &size);
        RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "EnableLUA",
                     RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &lua, &size);
        BOOL wow64 = FALSE;
        IsWow64Process(GetCurrentProcess(), &wow64);
        const auto wine = reinterpret_cast<const char*(CDECL*)()>(
            reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "wine_get_version")));
        ::testing::Test::RecordProperty(
            "windows_version", std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
                                   std::to_string(info.dwBuildNumber) + "." + std::to_string(revision));
        ::testing::Test::RecordProperty("windows_bits", wow64 ? "64" : "32");
        ::testing::Test::RecordProperty("code_page", std::to_string(GetACP()));
        ::testing::Test::RecordProperty("user_account_control", std::string(lua != 0 ? "on" : "off") +
                                                                    (Elevated() ? ", elevated" : ", not elevated"));
        ::testing::Test::RecordProperty("wine", wine != nullptr ? wine() : "no");
    }
};

// The test framework's own printer hands every failure and skip to OutputDebugString too,
// which a 32-bit program with a second thread (the framework starts one at the first
// failure or skip) does not survive under QEMU's emulation. This one prints the same lines
// to standard output alone, each test's as it ends, and last the kit's closing line.
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
    void OnTestProgramEnd(const ::testing::UnitTest& tests) override
    {
        std::printf("%d passed, %d failed, %d skipped\n", tests.successful_test_count(), tests.failed_test_count(),
                    tests.skipped_test_count());
    }
};
} // namespace

int main(int argc, char** argv)
{
    const std::string option = argc == 2 ? argv[1] : "";
    if (option == "--clean-up") {
        const Leftovers left = Survey(true);
        for (const std::string& removed : left.kits) {
            std::printf("run-tests.cmd --clean-up: removed %s, the kit's\n", removed.c_str());
        }
        for (const std::string& other : left.others) {
            std::printf("run-tests.cmd --clean-up: left %s: it does not bear the kit's mark\n", other.c_str());
        }
        if (left.kits.empty() && left.others.empty()) {
            std::puts("run-tests.cmd --clean-up: nothing of the kit's was there");
        }
        return 0;
    }
    // The refusals, before the tests change anything; exit code 2 tells run-tests.cmd.
    if (!Elevated()) {
        std::puts("run-tests.cmd: refused: it needs an administrator's command prompt (Run as administrator): the "
                  "tests write uninstall entries under HKEY_LOCAL_MACHINE and start a task as SYSTEM. Nothing was "
                  "changed.");
        return 2;
    }
    Leftovers found = Survey(false);
    if (found.others.empty() && !found.kits.empty()) {
        std::puts("run-tests.cmd: an earlier run was interrupted; removing what it left (each with the kit's mark):");
        for (const std::string& kits : found.kits) {
            std::printf("  %s\n", kits.c_str());
        }
        found = Survey(true);
    }
    if (!found.others.empty()) {
        const bool product = found.others[0].rfind("HKLM\\" + kUninstallList, 0) == 0;
        std::printf("run-tests.cmd: refused: %s exists%s. Nothing was changed.\n", found.others[0].c_str(),
                    product ? ": a product the launcher looks for is installed here, and the tests would change "
                              "its entry. Run the kit on a machine without the products"
                            : ", not made by the kit, and the tests would use its name. Remove it, or run the kit "
                              "on another machine");
        return 2;
    }
    // The tests' own folder, with the temporary folder run-tests.cmd names in it (work\temp),
    // made fresh only now: a refusal leaves an earlier run's as it was.
    const char* work = std::getenv("QUORVANE_KIT_WORK");
    if (work != nullptr && *work != '\0') {
        DWORD failed = RemoveTree(Wide(work));
        if (failed == 0 &&
            !(CreateDirectoryA(work, nullptr) && CreateDirectoryA((std::string(work) + "\\temp").c_str(), nullptr))) {
            failed = GetLastError();
        }
        if (failed != 0) {
            std::printf("run-tests.cmd: %s could not be made afresh: %s\n", work, WindowsError(failed).c_str());
            return 1;
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new RecordMachine);
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new Printer);
    const int status = RUN_ALL_TESTS();
    Survey(true); // what a failing test left, quietly: the closing line stays the last
    return status;
}

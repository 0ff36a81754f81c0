// The test kit's start of the test program (kit/run-tests.cmd starts it on Windows, the test command under
// Wine): the refusals, the clean-up of what bears the kit's mark (KitMarks.h), first what an interrupted run
// left and last what the tests leave, the tests' folder made afresh once nothing refused (QUORVANE_KIT_WORK),
// the report's record of the machine, the closing line "N passed, N failed, N skipped". With --clean-up it
// only removes what bears the mark, saying what it removed and left.
#include "kit/KitMarks.h"
#include "platform/SystemError.h"
#include "platform/SystemFacts.h"

#include <algorithm>
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
    const auto sort = [&found, remove](const std::string& name, bool marked, auto removeIt) {
        if (!marked) {
            found.others.push_back(name);
        } else if (remove && !removeIt()) {
            found.others.push_back(name + ", the kit's, which could not be removed");
        } else {
            found.kits.push_back(name);
        }
    };
    const bool wow64 = Windows64Bit();
    const auto key = [&](const std::string& subKey, REGSAM view) {
        bool marked = false;
        if (KeyExists(subKey, view, &marked)) {
            const std::string inView =
                wow64 ? std::string(view == KEY_WOW64_64KEY ? "64" : "32") + "-bit view" : "the one registry view";
            sort("HKLM\\" + subKey + " (" + inView + ")", marked, [&] { return RemoveKitKey(subKey, view); });
        }
    };
    for (const char* product : ProductUninstallKeys) {
        key(kUninstallList + std::string(product), KEY_WOW64_32KEY);
        if (wow64) { // 32-bit Windows has one view
            key(kUninstallList + std::string(product), KEY_WOW64_64KEY);
        }
    }
    key("SOFTWARE\\QuorvaneTests", KEY_WOW64_32KEY);
    bool userMarked = false;
    if (UserVariableExists(userMarked)) {
        sort("the user's variable QUORVANE_KIT_USER (HKCU\\Environment)", userMarked,
             [] { return SetKitUserVariable(L""); });
    }
    const std::string folder = KitProgramFolder();
    if (!folder.empty() && GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
        sort(folder, GetFileAttributesA((folder + "\\" + kMarkFile).c_str()) != INVALID_FILE_ATTRIBUTES,
             RemoveKitProgramFolder);
    }
    // The kit's task runs a script inside this kit's folder: its definition names QUORVANE_KIT_WORK, in either
    // of the forms schtasks writes. Wine's task scheduler is never used by the tests: there, none is looked for.
    std::string task;
    if (FILE* answer =
            RunsUnderWine() ? nullptr : _popen("schtasks /query /xml /tn \"Quorvane Test Kit\" 2>nul", "rb")) {
        char buffer[512];
        for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, answer)) != 0;) {
            task.append(buffer, read);
        }
        _pclose(answer);
    }
    task.erase(std::remove(task.begin(), task.end(), '\0'), task.end()); // UTF-16 read as ASCII
    const char* work = std::getenv("QUORVANE_KIT_WORK");
    if (task.find("<Task") != std::string::npos) {
        sort(std::string("the scheduled task ") + kKitTask,
             work != nullptr && *work != '\0' && task.find(work) != std::string::npos,
             [] { return std::system("schtasks /delete /f /tn \"Quorvane Test Kit\" >nul 2>&1") == 0; });
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

// The machine as the report records it.
class RecordMachine : public ::testing::Environment {
    void SetUp() override
    {
        DWORD revision = 0, lua = 0, size = sizeof(DWORD);
        RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "UBR",
                     RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &revision, &size);
        RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "EnableLUA",
                     RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &lua, &size);
        const auto wine = FindFunction<const char*(CDECL*)()>(GetModuleHandleA("ntdll.dll"), "wine_get_version");
        ::testing::Test::RecordProperty("windows_version", WindowsVersionAsReported() + "." + std::to_string(revision));
        ::testing::Test::RecordProperty("windows_bits", Windows64Bit() ? "64" : "32");
        ::testing::Test::RecordProperty("code_page", std::to_string(GetACP()));
        ::testing::Test::RecordProperty("user_account_control",
                                        std::string(lua != 0 ? "on" : "off") +
                                            (ReadTokenFacts().elevated ? ", elevated" : ", not elevated"));
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
    if (!ReadTokenFacts().elevated) {
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
        const bool product = found.others[0].rfind(std::string("HKLM\\") + kUninstallList, 0) == 0;
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
            // A refusal, as the others: run-tests.cmd then keeps an earlier report as it was.
            std::printf("run-tests.cmd: refused: %s could not be made afresh: %s\n", work,
                        WindowsError(failed).c_str());
            return 2;
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

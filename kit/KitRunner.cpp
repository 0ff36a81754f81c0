// The test kit's start of the test program (kit/run-tests.cmd starts it on Windows, the test
// command under Wine): the refusals, the report's record of the machine, the closing line. The tests write and remove
// the products' uninstall entries, so the program refuses where any of them was there before it: on a machine where a
// product is really installed, they would remove its entry. With --check-machine it only says whether it would run
// (exit 1 and why: that, or a prompt without elevation). A run records the machine in the XML report (Windows' exact
// version, bitness, code page, User Account Control) and ends with the line "N passed, N failed, N skipped".
#include "tests/wine/WineTestSupport.h"

#include <cstdio>
#include <cstring>

namespace {

// "HKLM\...\<entry> exists in the 32-bit view" for the first product entry in either view;
// empty when there is none.
std::string ExistingEntry()
{
    for (const char* product : kProducts) {
        for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallList + product).c_str(), 0, KEY_READ | view, &key) ==
                ERROR_SUCCESS) {
                RegCloseKey(key);
                return "HKLM\\" + kUninstallList + product + " exists in the " +
                       (view == KEY_WOW64_32KEY ? "32" : "64") + "-bit view";
            }
        }
    }
    return "";
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
    const std::string entry = ExistingEntry();
    const bool check = argc == 2 && std::strcmp(argv[1], "--check-machine") == 0;
    if (check && !Elevated()) {
        std::puts("run-tests.cmd: refused: it needs an administrator's command prompt (Run as administrator): the "
                  "tests write uninstall entries under HKEY_LOCAL_MACHINE and start a task as SYSTEM. Nothing was "
                  "changed.");
        return 1;
    }
    if (!entry.empty()) {
        std::printf("run-tests.cmd: refused: %s: a product the launcher looks for is installed here, and the tests "
                    "would remove its entry. Run the kit on a machine without the products. Nothing was changed.\n",
                    entry.c_str());
        return 1;
    }
    if (check) {
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new RecordMachine);
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new Printer);
    return RUN_ALL_TESTS();
}

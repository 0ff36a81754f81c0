// The test program's start, for a run under Wine and for the test kit a release engineer
// runs on Windows (run-tests.cmd). The tests write and remove the products' uninstall
// entries, so the program refuses where any of them was there before it: on a machine
// where a product is really installed, they would remove its entry. Its other modes serve
// run-tests.cmd:
//   --check-machine          refuses (exit 1, saying why) without administrator rights or
//                            where a product's entry exists
//   --clean-up               removes whatever a failing or crashing test may have left
//   --summary REPORT STATUS  prints "N passed, N failed, N skipped" from the test
//                            framework's XML report (writing one where the run left none)
//                            and exits 0 only when nothing failed
// Each run records the machine it ran on in the XML report: Windows' exact version and
// build, bitness, code page and User Account Control.
#include "WineTestSupport.h"

#include <cstdio>
#include <cstring>

namespace {
const char* const kProducts[8] = {"Trelvo - Ruzod Iri!UninstallKey",
                                  "RedadaVador!UninstallKey",
                                  "TTAL!UninstallKey",
                                  "TOVUninstallKey",
                                  "TrelvoQuent!UninstallKey",
                                  "TrelvoVantelo!UninstallKey",
                                  "TrelvoLumio!UninstallKey",
                                  "TrelvoHeddle!UninstallKey"};
const char* const kUninstallList = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const REGSAM kViews[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};

// The first product entry found in either view, as "HKLM\...\<entry> exists in the 32-bit
// view"; empty when there is none.
std::string ExistingEntry()
{
    for (const char* product : kProducts) {
        for (const REGSAM view : kViews) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallList + std::string(product)).c_str(), 0, KEY_READ | view,
                              &key) == ERROR_SUCCESS) {
                RegCloseKey(key);
                return "HKLM\\" + std::string(kUninstallList) + product +
                       (view == KEY_WOW64_32KEY ? " exists in the 32-bit view" : " exists in the 64-bit view");
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
    if (token != nullptr) {
        CloseHandle(token);
    }
    return known && elevation.TokenIsElevated != 0;
}

DWORD RegistryNumber(const char* key, const char* name, DWORD otherwise)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &value,
                        &size) == ERROR_SUCCESS
               ? value
               : otherwise;
}

// What the report records of the machine, as name and value.
std::vector<std::pair<std::string, std::string>> MachineFacts()
{
    using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion = reinterpret_cast<GetVersionFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    getVersion(&info);
    const char* const current = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    using WineVersionFunction = const char*(CDECL*)();
    const auto wineVersion = reinterpret_cast<WineVersionFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    const DWORD lua = RegistryNumber("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "EnableLUA", 0);
    return {
        {"windows_version", std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
                                std::to_string(info.dwBuildNumber) + "." +
                                std::to_string(RegistryNumber(current, "UBR", 0))},
        {"windows_bits", wow64 || sizeof(void*) == 8 ? "64" : "32"},
        {"code_page", std::to_string(GetACP())},
        {"user_account_control", std::string(lua != 0 ? "on" : "off") + (Elevated() ? ", elevated" : ", not elevated")},
        {"wine", wineVersion != nullptr ? wineVersion() : "no"},
    };
}

class RecordMachine : public ::testing::Environment {
    void SetUp() override
    {
        for (const auto& fact : MachineFacts()) {
            ::testing::Test::RecordProperty(fact.first, fact.second);
        }
    }
};

int CheckMachine()
{
    if (!Elevated()) {
        std::puts("run-tests.cmd: refused: it needs an administrator's command prompt (Run as administrator): the "
                  "tests write uninstall entries under HKEY_LOCAL_MACHINE and start programs as SYSTEM. Nothing "
                  "was changed.");
        return 1;
    }
    const std::string entry = ExistingEntry();
    if (!entry.empty()) {
        std::printf("run-tests.cmd: refused: %s: a product the launcher looks for is installed here, and the "
                    "tests would remove its entry. Run the kit on a machine without the products. Nothing was "
                    "changed.\n",
                    entry.c_str());
        return 1;
    }
    return 0;
}

// Everything a test makes outside the kit's own folder, which no product's installer
// makes: run only where --check-machine found no product's entry before the tests.
int CleanUp()
{
    for (const char* product : kProducts) {
        for (const REGSAM view : kViews) {
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, (kUninstallList + std::string(product)).c_str(), view, 0);
        }
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\QuorvaneTests");
    char programFiles[MAX_PATH] = {};
    if (GetEnvironmentVariableA("ProgramFiles(x86)", programFiles, MAX_PATH) != 0) {
        std::error_code ignored;
        std::filesystem::remove_all(std::string(programFiles) + "\\Quorvane Test Kit", ignored);
    }
    if (!RunsUnderWine()) {
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, MAX_PATH);
        std::string command = "schtasks.exe /delete /f /tn \"Quorvane Test Kit\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES; // no handles: its "task not found" stays unseen
        PROCESS_INFORMATION process{};
        if (CreateProcessA((std::string(system) + "\\schtasks.exe").c_str(), &command[0], nullptr, nullptr, FALSE,
                           CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
            WaitForSingleObject(process.hProcess, 30000);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    const std::string left = ExistingEntry();
    if (!left.empty()) {
        std::printf("run-tests.cmd: clean-up: %s could not be removed\n", left.c_str());
        return 1;
    }
    return 0;
}

// The counts of the test framework's report: tests that ran, by outcome.
int Summarize(const std::string& report, int status)
{
    std::string xml = ReadWholeFile(report);
    if (xml.empty()) {
        // The run ended before it wrote its report (a crash): a report that says so.
        std::string properties;
        for (const auto& fact : MachineFacts()) {
            properties += " " + fact.first + "=\"" + fact.second + "\"";
        }
        xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites tests=\"1\" failures=\"1\"" + properties +
              ">\n  <testsuite name=\"Kit\" tests=\"1\" failures=\"1\">\n    <testcase "
              "name=\"TheTestsEndedWithTheirReport\" "
              "status=\"run\" result=\"completed\" classname=\"Kit\">\n      <failure message=\"the tests ended "
              "with exit code " +
              std::to_string(status) + " and wrote no report\"/>\n    </testcase>\n  </testsuite>\n</testsuites>\n";
        std::ofstream(report, std::ios::binary) << xml;
    }
    int passed = 0, failed = 0, skipped = 0;
    for (std::size_t at = 0; (at = xml.find("<testcase ", at)) != std::string::npos; ++at) {
        const std::size_t end = std::min(xml.find("</testcase>", at), xml.find("<testcase ", at + 1));
        const std::string testCase = xml.substr(at, end - at);
        if (testCase.find("status=\"run\"") == std::string::npos) {
            continue; // disabled, or not chosen
        }
        if (testCase.find("<failure") != std::string::npos) {
            ++failed;
        } else if (testCase.find("result=\"skipped\"") != std::string::npos) {
            ++skipped;
        } else {
            ++passed;
        }
    }
    if (status != 0 && failed == 0) {
        failed = 1; // the program failed outside any test
    }
    std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
    return failed == 0 ? 0 : 1;
}
// Run only when asked for (--gtest_also_run_disabled_tests), as the test command does: a
// test that leaves an entry, a folder and a file behind and crashes, all of which the kit's
// clean-up must take away.
TEST(Kit, DISABLED_LeavesWhatItMadeAndCrashes)
{
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kUninstallList + std::string(kProducts[2])).c_str(), 0, nullptr, 0,
                    KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr);
    RegCloseKey(key);
    char programFiles[MAX_PATH] = {};
    if (GetEnvironmentVariableA("ProgramFiles(x86)", programFiles, MAX_PATH) != 0) {
        std::filesystem::create_directory(std::string(programFiles) + "\\Quorvane Test Kit");
    }
    std::ofstream(std::filesystem::temp_directory_path() / "left-behind.txt") << "left";
    TerminateProcess(GetCurrentProcess(), 3);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--check-machine") == 0) {
        return CheckMachine();
    }
    if (argc == 2 && std::strcmp(argv[1], "--clean-up") == 0) {
        return CleanUp();
    }
    if (argc == 4 && std::strcmp(argv[1], "--summary") == 0) {
        return Summarize(argv[2], std::atoi(argv[3]));
    }
    const std::string entry = ExistingEntry();
    if (!entry.empty()) {
        std::printf("refused: %s; the tests would remove it\n", entry.c_str());
        return 2;
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new RecordMachine);
    return RUN_ALL_TESTS();
}

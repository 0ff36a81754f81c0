// Measures the launcher against the least possible launcher under one Wine prefix and
// server: wall times in rounds of runs in the order launcher, least, least, launcher, ...
// (whichever program runs first in a pair pays more, so the order alternates), each
// round's ratio of medians and their median and spread; and CPU times while the installer
// runs for 3 s (up to 4 runs of each, no more than RUNS) against one that ends at once,
// for both programs.
// Both write their logs into the folder LOGS names (QUORVANE_LOG for the launcher, the
// temporary folder for the least possible one). Each registers its product in the registry
// view of its own bitness: a 64-bit build of both measures where 32-bit programs run only
// emulated.
// Usage: bench_driver LAUNCHER MINIMAL UNINSTALLER LOGS RUNS ROUNDS
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
// The last product: both programs open the seven keys before it.
const char* const kEntry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TrelvoHeddle!UninstallKey";
// The view the launcher of this build reads.
const REGSAM kView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

// The entry carries the benchmark's mark, and only an entry with it is removed: a product's
// own entry of that name is never touched.
const char* const kMark = "QuorvaneBenchmark";

void RemoveEntry()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_READ | kView, &key) != ERROR_SUCCESS) {
        return;
    }
    const bool marked = RegQueryValueExA(key, kMark, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (marked) {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kEntry, kView, 0);
    }
}

struct Run {
    double wallMs;
    double cpuMs;
};

double Milliseconds(const FILETIME& time)
{
    return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime) /
           10000.0;
}

Run RunOnce(const std::string& program)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(2);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (exitCode != 0) {
        // The minimal launcher ends with the system's error of its failed start.
        std::fprintf(stderr, "%s ended with %lu (0x%lX)\n", program.c_str(), exitCode, exitCode);
        std::exit(2);
    }
    return {static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart),
            Milliseconds(kernel) + Milliseconds(user)};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 7) {
        std::fprintf(stderr, "usage: bench_driver LAUNCHER MINIMAL UNINSTALLER LOGS RUNS ROUNDS\n");
        return 2;
    }
    const std::string launcher = argv[1], minimal = argv[2], uninstaller = argv[3];
    const int runs = std::atoi(argv[5]), rounds = std::atoi(argv[6]);
    for (const char* variable : {"QUORVANE_LOG", "TMP", "TEMP"}) {
        SetEnvironmentVariableA(variable, argv[4]);
    }
    if (runs < 1 || rounds < 1) {
        std::fprintf(stderr, "bench_driver: RUNS and ROUNDS must be at least 1\n");
        return 2;
    }

    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, nullptr, 0, KEY_ALL_ACCESS | kView, nullptr, &key,
                        &disposition) != ERROR_SUCCESS ||
        (disposition == REG_OPENED_EXISTING_KEY &&
         RegQueryValueExA(key, kMark, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)) {
        std::fprintf(stderr,
                     "bench_driver: HKLM\\%s is there and not the benchmark's: a product's entry, which it "
                     "would change; nothing was changed\n",
                     kEntry);
        if (key != nullptr) {
            RegCloseKey(key);
        }
        return 2;
    }
    RegSetValueExA(key, kMark, 0, REG_SZ, reinterpret_cast<const BYTE*>("made by the benchmark"), 22);
    std::atexit(RemoveEntry); // also when a run fails and ends the driver early
    const std::string value = uninstaller + " /UNINSTALL";
    RegSetValueExA(key, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    SetEnvironmentVariableA("QUORVANE_REPORT", nullptr);
    SetEnvironmentVariableA("QUORVANE_EXIT", "0");

    RunOnce(launcher); // warm the file cache and the server for both
    RunOnce(minimal);
    std::vector<double> ratios, launcherWall, minimalWall, quickCpu, minimalQuickCpu;
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> own, least;
        for (int i = 0; i < runs; ++i) {
            const bool launcherFirst = i % 2 == 0;
            const Run first = RunOnce(launcherFirst ? launcher : minimal);
            const Run second = RunOnce(launcherFirst ? minimal : launcher);
            const Run& ownRun = launcherFirst ? first : second;
            const Run& leastRun = launcherFirst ? second : first;
            own.push_back(ownRun.wallMs);
            least.push_back(leastRun.wallMs);
            quickCpu.push_back(ownRun.cpuMs);
            minimalQuickCpu.push_back(leastRun.cpuMs);
        }
        ratios.push_back(Median(own) / Median(least));
        launcherWall.insert(launcherWall.end(), own.begin(), own.end());
        minimalWall.insert(minimalWall.end(), least.begin(), least.end());
        std::printf("  round %d of %d: ratio %.3f\n", round + 1, rounds, ratios.back());
        std::fflush(stdout);
    }
    SetEnvironmentVariableA("QUORVANE_SLEEP_MS", "3000");
    std::vector<double> slowCpu, slowWall, minimalSlowCpu;
    for (int i = 0; i < std::min(runs, 4); ++i) {
        const Run slow = RunOnce(launcher);
        slowCpu.push_back(slow.cpuMs);
        slowWall.push_back(slow.wallMs);
        minimalSlowCpu.push_back(RunOnce(minimal).cpuMs);
    }

    std::printf("wall time, %d rounds of %d runs each, order alternating (installer ends at once):\n", rounds, runs);
    std::printf("  launcher, median       %8.1f ms\n", Median(launcherWall));
    std::printf("  minimal launcher       %8.1f ms\n", Median(minimalWall));
    std::printf("  ratio, median of rounds %7.3f (spread %.3f to %.3f; goal: at most 1.05)\n", Median(ratios),
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));
    // The process times come in whole ticks of the system's timer.
    DWORD adjustment = 0, increment = 0;
    BOOL disabled = FALSE;
    GetSystemTimeAdjustment(&adjustment, &increment, &disabled);
    std::printf("CPU time (user + kernel), median; timer resolution %.1f ms:\n", increment / 10000.0);
    std::printf("                           launcher   minimal\n");
    std::printf("  installer ends at once   %8.1f  %8.1f ms\n", Median(quickCpu), Median(minimalQuickCpu));
    std::printf("  installer runs 3 s       %8.1f  %8.1f ms (launcher wall %.0f ms)\n", Median(slowCpu),
                Median(minimalSlowCpu), Median(slowWall));
    return 0;
}

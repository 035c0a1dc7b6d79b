// Writing the package, measured against what the platform needs at the least, and a
// whole quiet install's time and memory. Run under Wine by tools/bench.sh; prints one
// table of medians over interleaved rounds.
//   bench_install ROUNDS SAMPLE_PACKAGE SETUP_EXE [SETUP_EXE ...]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "base/errors.h"
#include "bench/timing.h"
#include "payload/extract.h"
#include "payload/integrity.h"
#include "payload/resources.h"

namespace {

const char kFolder[] = "C:\\tw-bench";
const char kTarget[] = "C:\\tw-bench\\tws.pak";
const char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick";

// An installed package older than the one carried: the replacement path.
void WriteOlderTarget(const std::string& sample) {
    ::CopyFileA(sample.c_str(), kTarget, FALSE);
    HANDLE f = ::CreateFileA(kTarget, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const unsigned char version[2] = {0x90, 0x01};  // 400
    DWORD written;
    ::SetFilePointer(f, 6, nullptr, FILE_BEGIN);
    ::WriteFile(f, version, 2, &written, nullptr);
    ::CloseHandle(f);
}

void DurableReplace(const Bytes& bytes) {
    const char temp[] = "C:\\tw-bench\\~base.pak";
    HANDLE f = ::CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written;
    ::WriteFile(f, bytes.data, static_cast<DWORD>(bytes.size), &written, nullptr);
    ::FlushFileBuffers(f);
    ::CloseHandle(f);
    ::MoveFileExA(temp, kTarget, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

struct ChildRun {
    double ms = 0;
    double peakCommitMiB = 0;
    double peakWorkingSetMiB = 0;
    DWORD exitCode = 0;
};

ChildRun RunQuiet(const std::string& exe) {
    ChildRun run;
    std::string commandLine = "\"" + exe + "\" modest";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const double start = Now();
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return run;
    // Wine forgets an ended process's counters at once, so the peaks are sampled while
    // it runs; they only grow.
    SIZE_T peakCommit = 0, peakWorkingSet = 0;
    do {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        if (::K32GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) {
            peakCommit = std::max(peakCommit, counters.PeakPagefileUsage);
            peakWorkingSet = std::max(peakWorkingSet, counters.PeakWorkingSetSize);
        }
    } while (::WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT);
    run.ms = Now() - start;
    run.peakCommitMiB = static_cast<double>(peakCommit) / (1 << 20);
    run.peakWorkingSetMiB = static_cast<double>(peakWorkingSet) / (1 << 20);
    ::GetExitCodeProcess(process.hProcess, &run.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return run;
}

unsigned long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_install ROUNDS SAMPLE_PACKAGE SETUP_EXE [SETUP_EXE ...]\n");
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[1]));
    const std::string sample = argv[2];
    ::CreateDirectoryA(kFolder, nullptr);
    ::CopyFileA((std::string(argv[3]).substr(0, std::string(argv[3]).rfind('\\')) + "\\Tarnwick.exe").c_str(),
                "C:\\tw-bench\\Tarnwick.exe", FALSE);
    HKEY key;
    ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr);
    const char uninstaller[] = "C:\\tw-bench\\unins000.exe";
    ::RegSetValueExA(key, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(uninstaller), sizeof uninstaller);
    ::RegCloseKey(key);

    const OwnResource resource("tws", "pak");
    if (!resource.Found()) {
        std::fprintf(stderr, "no payload resource\n");
        return 1;
    }
    std::vector<double> install, copy, replace, durable, check;
    PlacedPackage placed;
    // A failed step is a failed benchmark: no figure of it is printed.
    try {
        for (int r = 0; r < rounds; ++r) {
            ::DeleteFileA(kTarget);
            double t = Now();
            InstallResourceFile("tws", "pak", kTarget, true, placed);
            install.push_back(Now() - t);

            ::DeleteFileA(kTarget);
            t = Now();
            ::CopyFileA(sample.c_str(), kTarget, FALSE);
            copy.push_back(Now() - t);

            WriteOlderTarget(sample);
            t = Now();
            InstallResourceFile("tws", "pak", kTarget, true, placed);
            replace.push_back(Now() - t);

            WriteOlderTarget(sample);
            t = Now();
            DurableReplace(resource.View());
            durable.push_back(Now() - t);

            t = Now();
            CheckSetupIntegrity();
            check.push_back(Now() - t);
        }
    } catch (const SetupError& error) {
        std::fprintf(stderr, "%s\n", error.Message().english.Bytes().c_str());
        return 1;
    }
    const double mib = static_cast<double>(resource.View().size) / (1 << 20);
    std::printf("Writing the package (%.1f MiB), medians of %d interleaved rounds, ms\n", mib, rounds);
    std::printf("%-44s %10s %10s %8s\n", "", "setup", "baseline", "ratio");
    std::printf("%-44s %10.1f %10.1f %8.2f\n", "absent target vs CopyFileA", Median(install), Median(copy),
                Median(install) / Median(copy));
    std::printf("%-44s %10.1f %10.1f %8.2f\n", "replacement vs temp+flush+MoveFileEx", Median(replace),
                Median(durable), Median(replace) / Median(durable));
    std::printf("%-44s %10.1f\n", "integrity check (reads the payload once)", Median(check));

    // The same program as Wine reports Windows 10 (start-up runs "ver" once) and Windows 7.
    std::vector<std::string> programs(argv + 3, argv + argc);
    const std::string first = programs.front();
    for (const char* version : {"win10", "win7"}) {
        const std::string name = std::string("setup-as-") + version + ".exe";
        const std::string copyPath = std::string(kFolder) + "\\" + name;
        ::CopyFileA(first.c_str(), copyPath.c_str(), FALSE);
        HKEY appKey;
        const std::string appDefaults = "Software\\Wine\\AppDefaults\\" + name;
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, appDefaults.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &appKey,
                              nullptr) == ERROR_SUCCESS) {
            ::RegSetValueExA(appKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                             static_cast<DWORD>(std::strlen(version) + 1));
            ::RegCloseKey(appKey);
        }
        programs.push_back(copyPath);
    }

    std::printf("\nWhole quiet install (setup.exe modest, absent target), medians of %d runs\n", rounds);
    std::printf("%-24s %10s %8s %12s %14s %12s %10s\n", "program", "payload", "ms", "check share", "peak commit",
                "peak WS", "exit");
    for (const std::string& exe : programs) {
        std::vector<double> ms, commit, workingSet;
        DWORD exitCode = 0;
        for (int r = 0; r < rounds; ++r) {
            ::DeleteFileA(kTarget);
            ChildRun run = RunQuiet(exe);
            ms.push_back(run.ms);
            commit.push_back(run.peakCommitMiB);
            workingSet.push_back(run.peakWorkingSetMiB);
            exitCode = run.exitCode;
        }
        const std::string name = exe.substr(exe.rfind('\\') + 1);
        const double payloadMiB = static_cast<double>(FileSize(kTarget)) / (1 << 20);
        // The check reads the payload at memory speed: scaled by size from the in-process figure.
        const double share = Median(check) * (payloadMiB / mib) / Median(ms);
        std::printf("%-24s %7.1f MiB %8.1f %11.0f%% %10.1f MiB %8.1f MiB %10lu\n", name.c_str(), payloadMiB, Median(ms),
                    share * 100, Median(commit), Median(workingSet), exitCode);
    }
    ::DeleteFileA(kTarget);
    std::printf("(setup-as-win10 and setup-as-win7 are setup.exe as Wine reports those versions: the\n"
                " difference is the start-up's \"ver\" capture, which runs on Windows 8 and later.)\n");
    return 0;
}

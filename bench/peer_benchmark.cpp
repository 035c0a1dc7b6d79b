// setup.exe in quiet mode against the least the platform needs to write the package
// and against an NSIS installer that does the same job, all started as processes of
// their own from here, so that every figure pays the same process start. Run under Wine
// by tools/bench.sh; prints one table of medians over interleaved rounds, each timing
// beside the baseline measured in the same rounds.
//   peer_benchmark ROUNDS PROGRAM_FOLDER PACKAGE PACKAGE_X4
// PROGRAM_FOLDER holds setup.exe, setup-x4.exe, tarnwick-nsis.exe, tarnwick-nsis-x4.exe,
// write_baseline.exe, noop.exe, ask_at_once.exe and Tarnwick.exe.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "bench/timing.h"

namespace {

const char kPrograms[] = "C:\\tw-peer-bin";
const char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick";
const REGSAM kNativeView = KEY_WOW64_64KEY;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

unsigned long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = ::GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    const bool ok = size == 0 || (::ReadFile(file, &bytes[0], size, &read, nullptr) && read == size);
    ::CloseHandle(file);
    return ok;
}

bool WriteWholeFile(const std::string& path, const char* data, size_t size, bool flush) {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    if (flush) ok = ::FlushFileBuffers(file) && ok;
    ::CloseHandle(file);
    return ok;
}

// One folder tree as relative lower-case paths: files with their sizes, folders with -1.
using Listing = std::map<std::string, long long>;

void ListTree(const std::string& root, const std::string& relative, Listing& out) {
    WIN32_FIND_DATAA entry;
    const std::string base = relative.empty() ? root + "\\" : root + "\\" + relative + "\\";
    HANDLE search = ::FindFirstFileA((base + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = relative.empty() ? Lower(name) : relative + "\\" + Lower(name);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[path] = -1;
            ListTree(root, path, out);
        } else {
            out[path] = static_cast<long long>((static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) |
                                               entry.nFileSizeLow);
        }
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
}

Listing ListTree(const std::string& root) {
    Listing out;
    ListTree(root, "", out);
    return out;
}

void RemoveTree(const std::string& path) {
    Listing inside = ListTree(path);
    // Deepest first: a folder is empty by the time it is removed.
    for (auto it = inside.rbegin(); it != inside.rend(); ++it) {
        const std::string full = path + "\\" + it->first;
        ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (it->second < 0)
            ::RemoveDirectoryA(full.c_str());
        else
            ::DeleteFileA(full.c_str());
    }
    ::RemoveDirectoryA(path.c_str());
}

// The installed application the runs start from: a few hundred small files in a few
// folders, so that the installed-size walk has real work, and the stand-in executable;
// or a large one of 3,000 files in 200 folders.
struct InstallTree {
    std::string folder;  // C:\tw-peer or C:\tw-peer-large
    Listing expected;    // relative path -> size, folders -1
    std::string standInPath;

    std::string Target() const { return folder + "\\tws.pak"; }

    void Describe(unsigned long long standInSize) {
        const struct {
            const char* folder;
            int files;
        } folders[] = {{"sounds", 120}, {"sounds\\exam", 60}, {"lang", 40}, {"help", 50}, {"help\\img", 30}};
        unsigned seed = 408;
        for (const auto& f : folders) {
            expected[f.folder] = -1;
            for (int i = 0; i < f.files; ++i) {
                seed = seed * 1103515245u + 12345u;
                char name[64];
                std::snprintf(name, sizeof name, "%s\\item%03d.dat", f.folder, i);
                expected[name] = 200 + static_cast<long long>((seed >> 8) % 12000);
            }
        }
        expected["tarnwick.exe"] = static_cast<long long>(standInSize);
    }

    // 20 folders of 9 subfolders each: 200 folders of 15 files.
    void DescribeLarge(unsigned long long standInSize) {
        unsigned seed = 409;
        for (int top = 0; top < 20; ++top) {
            for (int sub = -1; sub < 9; ++sub) {
                char name[64];
                if (sub < 0)
                    std::snprintf(name, sizeof name, "data%02d", top);
                else
                    std::snprintf(name, sizeof name, "data%02d\\part%d", top, sub);
                const std::string f = name;
                expected[f] = -1;
                for (int i = 0; i < 15; ++i) {
                    seed = seed * 1103515245u + 12345u;
                    std::snprintf(name, sizeof name, "\\item%02d.dat", i);
                    expected[f + name] = 100 + static_cast<long long>((seed >> 8) % 4000);
                }
            }
        }
        expected["tarnwick.exe"] = static_cast<long long>(standInSize);
    }

    unsigned long long Kilobytes(const Listing& listing) const {
        unsigned long long bytes = 0;
        for (const auto& entry : listing)
            if (entry.second > 0) bytes += static_cast<unsigned long long>(entry.second);
        return bytes >> 10;
    }

    // Brings the folder back to the application alone: whatever a run left is removed,
    // whatever is missing or changed is written again.
    bool Restore() const {
        ::CreateDirectoryA(folder.c_str(), nullptr);
        const Listing found = ListTree(folder);
        for (auto it = found.rbegin(); it != found.rend(); ++it) {
            auto want = expected.find(it->first);
            if (want != expected.end() && want->second == it->second) continue;
            const std::string full = folder + "\\" + it->first;
            if (it->second < 0) {
                if (want == expected.end()) RemoveTree(full);
            } else {
                ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(full.c_str());
            }
        }
        const Listing left = ListTree(folder);
        std::string filler;
        for (const auto& want : expected) {
            auto have = left.find(want.first);
            if (have != left.end() && have->second == want.second) continue;
            const std::string full = folder + "\\" + want.first;
            if (want.second < 0) {
                if (!::CreateDirectoryA(full.c_str(), nullptr)) return false;
            } else if (want.first == "tarnwick.exe") {
                if (!::CopyFileA(standInPath.c_str(), full.c_str(), FALSE)) return false;
            } else {
                filler.assign(static_cast<size_t>(want.second), static_cast<char>('a' + want.second % 26));
                if (!WriteWholeFile(full, filler.data(), filler.size(), false)) return false;
            }
        }
        return ListTree(folder) == expected;
    }
};

std::set<std::string> TempEntries() {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA((std::string(temp) + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::strcmp(entry.cFileName, ".") != 0 && std::strcmp(entry.cFileName, "..") != 0)
            names.insert(entry.cFileName);
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return names;
}

bool OpenUninstallKey(HKEY& key) {
    return ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS | kNativeView, nullptr, &key,
                             nullptr) == ERROR_SUCCESS;
}

// The entry through which the setup finds the install folder.
void PrepareUninstallEntry(const std::string& folder) {
    HKEY key;
    if (!OpenUninstallKey(key)) return;
    const std::string uninstallString = folder + "\\unins000.exe";
    ::RegSetValueExA(key, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(uninstallString.c_str()),
                     static_cast<DWORD>(uninstallString.size() + 1));
    ::RegDeleteValueA(key, "EstimatedSize");
    ::RegCloseKey(key);
}

// "EstimatedSize" of the native view: false when absent or not a REG_DWORD.
bool EstimatedSize(DWORD& value) {
    HKEY key;
    if (!OpenUninstallKey(key)) return false;
    DWORD type = 0, size = sizeof value;
    const LSTATUS status =
        ::RegQueryValueExA(key, "EstimatedSize", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value;
}

void SetWineVersion(const std::string& exeName, const char* version) {
    HKEY key;
    const std::string path = "Software\\Wine\\AppDefaults\\" + exeName;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                     static_cast<DWORD>(std::strlen(version) + 1));
    ::RegCloseKey(key);
}

// A message box of the process: a dialog with a "No" button, shown.
HWND FindQuestion(DWORD processId) {
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId && ::IsWindowVisible(window) && ::GetDlgItem(window, IDNO)) return window;
    }
    return nullptr;
}

struct Run {
    bool started = false;
    double ms = 0;
    DWORD exitCode = 0;
    double peakCommitMiB = 0;
    double peakWorkingSetMiB = 0;
    std::string failure;
};

void TakeMemory(HANDLE process, Run& run) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!::K32GetProcessMemoryInfo(process, &counters, sizeof counters)) return;
    run.peakCommitMiB = std::max(run.peakCommitMiB, static_cast<double>(counters.PeakPagefileUsage) / (1 << 20));
    run.peakWorkingSetMiB =
        std::max(run.peakWorkingSetMiB, static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20));
}

// Starts the program and waits for its end or, with `untilQuestion`, for its first
// message box, which is then answered "No". With `sampleMemory` the run is not timed:
// the memory counters are read every millisecond while it runs, because Wine answers
// for a live process only (it reads the Linux process's status, so a finished one
// reads 0, and its "peak" commit is the resident private memory of the moment). On
// Windows the reading after the end alone gives the peaks.
Run Launch(const std::string& commandLine, bool untilQuestion, bool sampleMemory) {
    Run run;
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const double start = Now();
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, kPrograms, &startup, &process)) {
        run.failure = "CreateProcess failed, error " + std::to_string(::GetLastError());
        return run;
    }
    run.started = true;
    if (untilQuestion) {
        HWND question = nullptr;
        while (!(question = FindQuestion(process.dwProcessId))) {
            if (::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
            if (Now() - start > 60000) break;
        }
        run.ms = Now() - start;
        if (question) {
            ::PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(question, IDNO)));
        } else {
            run.failure = "no message box appeared";
        }
    }
    if (sampleMemory)
        while (::WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT && Now() - start < 120000)
            TakeMemory(process.hProcess, run);
    if (::WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 0xDEAD);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        if (run.failure.empty()) run.failure = "did not end within 120 s";
    }
    if (!untilQuestion) run.ms = Now() - start;
    TakeMemory(process.hProcess, run);
    ::GetExitCodeProcess(process.hProcess, &run.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return run;
}

enum class Start { Absent, OlderInstalled };
enum class Outcome {
    Installed,       // the package and "EstimatedSize"
    PackageWritten,  // the package only (the baselines)
    NothingWritten,  // the program that does nothing
    AnsweredNo,      // asked its first question, was answered no, wrote nothing
};

struct Case {
    Case(std::string label_, std::string commandLine_, Start start_, Outcome outcome_, const std::string* package_,
         bool untilQuestion_, const InstallTree* tree_ = nullptr)
        : label(std::move(label_)), commandLine(std::move(commandLine_)), start(start_), outcome(outcome_),
          package(package_), untilQuestion(untilQuestion_), tree(tree_) {}
    std::string label;
    std::string commandLine;
    Start start;
    Outcome outcome;
    const std::string* package;
    bool untilQuestion;
    const InstallTree* tree;  // null: the bench's usual tree
    std::vector<double> ms, commit, workingSet;
    int failed = 0;
};

class Bench {
public:
    InstallTree tree;

    // Runs one case from a clean folder and checks what it left; false, after saying
    // why, when the run must not be counted.
    bool RunOnce(Case& c, int round, bool sampleMemory) {
        Run run;
        std::string problem = Prepare(c);
        if (problem.empty()) {
            const std::set<std::string> tempBefore = TempEntries();
            run = Launch(c.commandLine, c.untilQuestion, sampleMemory);
            problem = run.failure.empty() ? Check(c, run, tempBefore) : run.failure;
        }
        if (!problem.empty()) {
            std::printf("!!! CHECK FAILED, not counted: %s%s, round %d: %s\n", c.label.c_str(),
                        sampleMemory ? " (memory run)" : "", round, problem.c_str());
            std::fflush(stdout);
            ++c.failed;
            return false;
        }
        if (round > 0 && sampleMemory) {
            c.commit.push_back(run.peakCommitMiB);
            c.workingSet.push_back(run.peakWorkingSetMiB);
        } else if (round > 0) {
            c.ms.push_back(run.ms);
        }
        return true;
    }

private:
    const InstallTree& TreeOf(const Case& c) const { return c.tree ? *c.tree : tree; }

    std::string Prepare(const Case& c) {
        const InstallTree& tree = TreeOf(c);
        if (!tree.Restore()) return "the install folder could not be restored";
        if (c.start == Start::OlderInstalled) {
            std::string older = *c.package;
            const unsigned char version400[2] = {0x90, 0x01};
            std::memcpy(&older[6], version400, 2);
            // Flushed, so that no run pays for writing back the file it replaces.
            if (!WriteWholeFile(tree.Target(), older.data(), older.size(), true))
                return "the older package was not written";
        }
        PrepareUninstallEntry(tree.folder);
        return std::string();
    }

    std::string Check(const Case& c, const Run& run, const std::set<std::string>& tempBefore) {
        if (run.exitCode != 0) return "exit code " + std::to_string(run.exitCode);
        const bool packageExpected = c.outcome == Outcome::Installed || c.outcome == Outcome::PackageWritten;
        const InstallTree& tree = TreeOf(c);
        Listing after = ListTree(tree.folder);
        const unsigned long long kilobytes = tree.Kilobytes(after);
        if (packageExpected) {
            std::string written;
            if (!ReadWholeFile(tree.Target(), written)) return "no package at " + tree.Target();
            if (written != *c.package) return "the package's bytes differ from the payload";
            after.erase("tws.pak");
        } else if (c.start == Start::Absent && after.count("tws.pak")) {
            return "a package was written";
        }
        if (c.start == Start::OlderInstalled && !packageExpected) after.erase("tws.pak");
        for (const auto& entry : after)
            if (!tree.expected.count(entry.first)) return "left behind in the install folder: " + entry.first;
        for (const auto& entry : tree.expected)
            if (!after.count(entry.first)) return "missing from the install folder: " + entry.first;
        for (const std::string& name : TempEntries())
            if (!tempBefore.count(name)) return "left behind in the Temp folder: " + name;
        DWORD recorded = 0;
        const bool present = EstimatedSize(recorded);
        if (c.outcome == Outcome::Installed) {
            if (!present) return "no REG_DWORD \"EstimatedSize\"";
            if (recorded != kilobytes)
                return "\"EstimatedSize\" " + std::to_string(recorded) + ", the folder holds " +
                       std::to_string(kilobytes) + " KiB";
        } else if (present) {
            return "\"EstimatedSize\" was written";
        }
        return std::string();
    }
};

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

struct Row {
    const char* label;
    const Case* setup;
    const Case* nsis;
    const Case* baseline;
};

// A figure of the table: "failed" when no run was counted, "!" after it when some
// runs failed their checks.
std::string Cell(const std::vector<double>& values, bool someFailed, double value, const char* format) {
    if (values.empty()) return "failed";
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return std::string(text) + (someFailed ? "!" : " ");
}

std::string Verdict(bool met) { return met ? "met" : "MISSED"; }

}  // namespace

int main(int argc, char** argv) {
    // HEADING says what was timed (the x86-64 twin where 32-bit code is emulated);
    // SHIPPED_SETUP is the setup.exe whose stub size is shown when the timed one is not
    // the one that ships.
    if (argc < 5 || argc > 7) {
        std::fprintf(stderr, "usage: peer_benchmark ROUNDS PROGRAM_FOLDER PACKAGE PACKAGE_X4 [HEADING [SHIPPED_SETUP]]\n");
        return 2;
    }
    const std::string heading = argc > 5 ? argv[5] : "";
    const std::string shippedSetup = argc > 6 ? argv[6] : "";
    const int rounds = std::max(1, std::atoi(argv[1]));
    const std::string from = argv[2];
    std::string package, packageX4;
    if (!ReadWholeFile(argv[3], package) || !ReadWholeFile(argv[4], packageX4) || package.size() < 8 ||
        packageX4.size() < 8) {
        std::fprintf(stderr, "the packages %s and %s cannot be read\n", argv[3], argv[4]);
        return 1;
    }

    // Every program runs from one folder of the same drive; the copies under other
    // names get their Windows version from Wine's per-program settings.
    ::CreateDirectoryA(kPrograms, nullptr);
    const std::string programs = std::string(kPrograms) + "\\";
    const struct {
        const char* source;
        const char* name;
        const char* version;
    } staged[] = {
        {"setup.exe", "setup.exe", nullptr},
        {"setup-x4.exe", "setup-x4.exe", nullptr},
        {"tarnwick-nsis.exe", "tarnwick-nsis.exe", nullptr},
        {"tarnwick-nsis-x4.exe", "tarnwick-nsis-x4.exe", nullptr},
        {"write_baseline.exe", "write_baseline.exe", nullptr},
        {"noop.exe", "noop.exe", nullptr},
        {"Tarnwick.exe", "Tarnwick.exe", nullptr},
        {"setup.exe", "setup-win7.exe", "win7"},
        {"setup.exe", "setup-win10.exe", "win10"},
        {"tarnwick-nsis.exe", "nsis-win7.exe", "win7"},
        {"tarnwick-nsis.exe", "nsis-win10.exe", "win10"},
        {"ask_at_once.exe", "ask-win7.exe", "win7"},
        {"ask_at_once.exe", "ask-win10.exe", "win10"},
    };
    for (const auto& s : staged) {
        const std::string source = from + "\\" + s.source;
        if (!::CopyFileA(source.c_str(), (programs + s.name).c_str(), FALSE)) {
            std::fprintf(stderr, "cannot stage %s\n", source.c_str());
            return 1;
        }
        if (s.version) SetWineVersion(s.name, s.version);
    }
    ::CopyFileA(argv[3], (programs + "sample.pak").c_str(), FALSE);
    ::CopyFileA(argv[4], (programs + "sample-x4.pak").c_str(), FALSE);

    Bench bench;
    bench.tree.folder = "C:\\tw-peer";
    bench.tree.standInPath = programs + "Tarnwick.exe";
    bench.tree.Describe(FileSize(bench.tree.standInPath));
    InstallTree large;
    large.folder = "C:\\tw-peer-large";
    large.standInPath = bench.tree.standInPath;
    large.DescribeLarge(FileSize(large.standInPath));
    for (const InstallTree* tree : {&bench.tree, &large}) {
        if (!tree->Restore()) {
            std::fprintf(stderr, "cannot create the install folder %s\n", tree->folder.c_str());
            return 1;
        }
    }

    // One Wine process stays resident while the runs are timed, as on a desktop where
    // other programs run: each start is then timed against a Wine that is up.
    PROCESS_INFORMATION resident = {};
    {
        std::string line = Quoted(programs + "write_baseline.exe") + " resident";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, kPrograms, &startup,
                              &resident)) {
            std::fprintf(stderr, "cannot start the resident process\n");
            return 1;
        }
        ::Sleep(500);
    }

    const std::string target = Quoted(bench.tree.Target());
    const std::string largeTarget = Quoted(large.Target());
    const std::string writer = Quoted(programs + "write_baseline.exe");
    const std::string* p = &package;
    const std::string* x4 = &packageX4;
    std::vector<std::vector<Case>> groups = {
        {
            {"setup, fresh", Quoted(programs + "setup.exe") + " modest", Start::Absent, Outcome::Installed, p, false},
            {"NSIS, fresh", Quoted(programs + "tarnwick-nsis.exe") + " /S", Start::Absent, Outcome::Installed, p,
             false},
            {"CopyFileA, fresh", writer + " copy " + Quoted(programs + "sample.pak") + " " + target, Start::Absent,
             Outcome::PackageWritten, p, false},
            {"no-op", Quoted(programs + "noop.exe"), Start::Absent, Outcome::NothingWritten, p, false},
            {"durable, fresh", writer + " durable " + Quoted(programs + "sample.pak") + " " + target, Start::Absent,
             Outcome::PackageWritten, p, false},
        },
        {
            {"setup, replacement", Quoted(programs + "setup.exe") + " modest", Start::OlderInstalled,
             Outcome::Installed, p, false},
            {"NSIS, replacement", Quoted(programs + "tarnwick-nsis.exe") + " /S", Start::OlderInstalled,
             Outcome::Installed, p, false},
            {"durable, replacement", writer + " durable " + Quoted(programs + "sample.pak") + " " + target,
             Start::OlderInstalled, Outcome::PackageWritten, p, false},
        },
        {
            {"setup-x4, fresh", Quoted(programs + "setup-x4.exe") + " modest", Start::Absent, Outcome::Installed, x4,
             false},
            {"NSIS-x4, fresh", Quoted(programs + "tarnwick-nsis-x4.exe") + " /S", Start::Absent, Outcome::Installed,
             x4, false},
            {"CopyFileA-x4, fresh", writer + " copy " + Quoted(programs + "sample-x4.pak") + " " + target,
             Start::Absent, Outcome::PackageWritten, x4, false},
            {"durable-x4, fresh", writer + " durable " + Quoted(programs + "sample-x4.pak") + " " + target,
             Start::Absent, Outcome::PackageWritten, x4, false},
        },
        {
            {"setup, fresh, large folder", Quoted(programs + "setup.exe") + " modest", Start::Absent,
             Outcome::Installed, p, false, &large},
            {"durable, fresh, large folder", writer + " durable " + Quoted(programs + "sample.pak") + " " + largeTarget,
             Start::Absent, Outcome::PackageWritten, p, false, &large},
        },
        {
            {"setup, question, win7", Quoted(programs + "setup-win7.exe"), Start::Absent, Outcome::AnsweredNo, p,
             true},
            {"NSIS, question, win7", Quoted(programs + "nsis-win7.exe"), Start::Absent, Outcome::AnsweredNo, p,
             true},
            {"message box at once, win7", Quoted(programs + "ask-win7.exe"), Start::Absent, Outcome::AnsweredNo, p,
             true},
        },
        {
            {"setup, question, win10", Quoted(programs + "setup-win10.exe"), Start::Absent, Outcome::AnsweredNo, p,
             true},
            {"NSIS, question, win10", Quoted(programs + "nsis-win10.exe"), Start::Absent, Outcome::AnsweredNo, p,
             true},
            {"message box at once, win10", Quoted(programs + "ask-win10.exe"), Start::Absent, Outcome::AnsweredNo, p,
             true},
        },
    };

    // Round 0 warms the caches and is checked but not counted. Within a round the
    // programs of a group take turns, and the first of them moves on each round.
    std::vector<Case*> memoryCases = {&groups[0][0], &groups[0][1], &groups[0][3], &groups[1][0],
                                      &groups[1][1], &groups[2][0], &groups[2][1]};
    for (int round = 0; round <= rounds; ++round) {
        for (std::vector<Case>& group : groups)
            for (size_t i = 0; i < group.size(); ++i) bench.RunOnce(group[(i + round) % group.size()], round, false);
        for (Case* c : memoryCases) bench.RunOnce(*c, round, true);
        std::fprintf(stderr, "round %d of %d done\n", round, rounds);
    }
    ::TerminateProcess(resident.hProcess, 0);
    ::CloseHandle(resident.hThread);
    ::CloseHandle(resident.hProcess);
    large.Restore();
    RemoveTree(large.folder);
    bench.tree.Restore();
    PrepareUninstallEntry(bench.tree.folder);

    const Case& setupFresh = groups[0][0];
    const Case& nsisFresh = groups[0][1];
    const Case& copyFresh = groups[0][2];
    const Case& noop = groups[0][3];
    const Case& setupReplace = groups[1][0];
    const Case& nsisReplace = groups[1][1];
    const Case& durable = groups[1][2];
    const Case& setupX4 = groups[2][0];
    const Case& nsisX4 = groups[2][1];
    const Case& copyX4 = groups[2][2];
    const Case& durableFresh = groups[0][4];
    const Case& durableX4 = groups[2][3];
    const Case& setupLarge = groups[3][0];
    const Case& durableLarge = groups[3][1];

    const char* rowFormat = "%-42s %10s %10s %10s %9s %9s %10s   %s\n";
    if (!heading.empty()) std::printf("\n%s", heading.c_str());
    std::printf("\nsetup.exe modest against CopyFileA and NSIS (/S, SetCompress off) under Wine: medians of %d "
                "interleaved rounds after one warm-up,\ntimed while one Wine process stays resident\n",
                rounds);
    std::printf("package %zu bytes (x4: %zu); every run starts from an install folder of %zu files and folders, "
                "%llu KiB\n",
                package.size(), packageX4.size(), bench.tree.expected.size(),
                bench.tree.Kilobytes(bench.tree.expected));
    std::printf(rowFormat, "", "setup.exe", "NSIS", "baseline", "setup/b", "NSIS/b", "NSIS/setup", "goal");

    auto timingRow = [rowFormat](const char* label, const Case& setup, const Case& nsis, const Case& baseline,
                                 bool goals, std::string goal = std::string()) {
        const double s = Median(setup.ms), n = Median(nsis.ms), b = Median(baseline.ms);
        const bool all = !setup.ms.empty() && !nsis.ms.empty() && !baseline.ms.empty();
        const bool someFailed = setup.failed || nsis.failed || baseline.failed;
        if (goals)
            goal = !all ? "not measured"
                        : "setup/b <= 1.5: " + Verdict(s / b <= 1.5) + "; NSIS/setup >= 5: " + Verdict(n / s >= 5);
        std::printf(rowFormat, label, Cell(setup.ms, setup.failed, s, "%.1f").c_str(),
                    Cell(nsis.ms, nsis.failed, n, "%.1f").c_str(), Cell(baseline.ms, baseline.failed, b, "%.1f").c_str(),
                    all ? Cell(setup.ms, someFailed, s / b, "%.2fx").c_str() : "-",
                    all ? Cell(nsis.ms, someFailed, n / b, "%.2fx").c_str() : "-",
                    all ? Cell(nsis.ms, someFailed, n / s, "%.2fx").c_str() : "-", goal.c_str());
    };
    timingRow("fresh install (absent target), ms", setupFresh, nsisFresh, copyFresh, true);
    timingRow("replacement of version 400, ms", setupReplace, nsisReplace, durable, true);
    timingRow("fresh install, x4 package, ms", setupX4, nsisX4, copyX4, false);
    timingRow("start-up to the first question, win7, ms", groups[4][0], groups[4][1], groups[4][2], false);
    {
        // Windows 8 and later report 6.2 to this program, so there start-up also runs "ver".
        const Case& win7 = groups[4][0];
        const Case& win10 = groups[5][0];
        std::string goal = "not measured";
        if (!win7.ms.empty() && !win10.ms.empty()) {
            const double later = Median(win10.ms) - Median(win7.ms);
            char text[96];
            std::snprintf(text, sizeof text, "setup win10 - win7 = %.1f ms <= 150: ", later);
            goal = text + Verdict(later <= 150);
        }
        timingRow("start-up to the first question, win10, ms", win10, groups[5][1], groups[5][2], false, goal);
    }
    // Against the durable write of the same bytes: what a write that survives a power
    // cut costs at the least, which the setup's write is too.
    auto durableRow = [rowFormat](const char* label, const Case& setup, const Case& durable, double goal) {
        const double s = Median(setup.ms), d = Median(durable.ms);
        const bool all = !setup.ms.empty() && !durable.ms.empty();
        char text[80];
        std::snprintf(text, sizeof text, "setup/durable <= %.1f: %s", goal,
                      all ? Verdict(s / d <= goal).c_str() : "not measured");
        std::printf(rowFormat, label, Cell(setup.ms, setup.failed, s, "%.1f").c_str(), "-",
                    Cell(durable.ms, durable.failed, d, "%.1f").c_str(),
                    all ? Cell(setup.ms, setup.failed || durable.failed, s / d, "%.2fx").c_str() : "-", "", "", text);
    };
    durableRow("fresh install against durable write, ms", setupFresh, durableFresh, 1.3);
    durableRow("replacement against durable write, ms", setupReplace, durable, 1.2);
    durableRow("x4 package, fresh, against durable write, ms", setupX4, durableX4, 1.5);
    durableRow("3,000 files in 200 folders, fresh, ms", setupLarge, durableLarge, 3.0);
    {
        const double n = Median(noop.ms), b = Median(copyFresh.ms);
        const std::string share =
            noop.ms.empty() || copyFresh.ms.empty()
                ? std::string()
                : Cell(noop.ms, noop.failed || copyFresh.failed, n / b, "= %.2fx the fresh-install baseline");
        std::printf(rowFormat, "a program that does nothing, ms", "-", "-", Cell(noop.ms, noop.failed, n, "%.1f").c_str(),
                    "", "", "", share.c_str());
    }

    // Memory: the larger median of the runs that write the package (fresh and
    // replacement) against the program that does nothing.
    auto memoryRow = [rowFormat, &noop](const char* label, std::vector<const Case*> setup,
                                        std::vector<const Case*> nsis, std::vector<double> Case::*field, bool goal) {
        auto larger = [field](const std::vector<const Case*>& cases, bool& have, bool& someFailed) {
            double value = 0;
            have = true;
            someFailed = false;
            for (const Case* c : cases) {
                have = have && !(c->*field).empty();
                someFailed = someFailed || c->failed;
                value = std::max(value, Median(c->*field));
            }
            return value;
        };
        bool setupHave, setupFailed, nsisHave, nsisFailed;
        const double s = larger(setup, setupHave, setupFailed);
        const double n = larger(nsis, nsisHave, nsisFailed);
        const std::vector<double> none, some(1);
        const std::string verdict = !goal ? "" : !setupHave ? "not measured" : "setup < 8 MiB: " + Verdict(s < 8);
        std::printf(rowFormat, label, Cell(setupHave ? some : none, setupFailed, s, "%.2f").c_str(),
                    Cell(nsisHave ? some : none, nsisFailed, n, "%.2f").c_str(),
                    Cell(noop.*field, noop.failed, Median(noop.*field), "%.2f").c_str(), "", "", "", verdict.c_str());
    };
    memoryRow("peak committed memory, MiB", {&setupFresh, &setupReplace}, {&nsisFresh, &nsisReplace}, &Case::commit,
              true);
    memoryRow("peak committed memory, x4 package, MiB", {&setupX4}, {&nsisX4}, &Case::commit, true);
    memoryRow("peak working set, MiB", {&setupFresh, &setupReplace}, {&nsisFresh, &nsisReplace}, &Case::workingSet,
              false);
    memoryRow("peak working set, x4 package, MiB", {&setupX4}, {&nsisX4}, &Case::workingSet, false);
    {
        const std::string shipped = shippedSetup.empty() ? programs + "setup.exe" : shippedSetup;
        const double setupStub = static_cast<double>(FileSize(shipped)) - static_cast<double>(package.size());
        const double nsisStub =
            static_cast<double>(FileSize(programs + "tarnwick-nsis.exe")) - static_cast<double>(package.size());
        const double noopSize = static_cast<double>(FileSize(programs + "noop.exe"));
        char s[32], n[32], b[32];
        std::snprintf(s, sizeof s, "%.1f ", setupStub / 1024);
        std::snprintf(n, sizeof n, "%.1f ", nsisStub / 1024);
        std::snprintf(b, sizeof b, "%.1f ", noopSize / 1024);
        std::printf(rowFormat, shippedSetup.empty() ? "stub size (exe - package), KiB" : "stub size, 32-bit setup.exe, KiB",
                    s, n, b, "", "", "", ("setup < 176 KiB: " + Verdict(setupStub < 176 * 1024)).c_str());
        if (!shippedSetup.empty()) {
            const double twinStub =
                static_cast<double>(FileSize(programs + "setup.exe")) - static_cast<double>(package.size());
            std::snprintf(s, sizeof s, "%.1f ", twinStub / 1024);
            std::printf(rowFormat, "stub size, the timed setup.exe, KiB", s, "", "", "", "", "", "");
        }
    }
    std::printf(
        "durable write: a temporary file written from a mapped view, flushed and renamed over the target; the\n"
        "large folder holds %zu files and folders, the setup's and the durable write's runs start from it.\n",
        large.expected.size());
    std::printf(
        "baselines: fresh install - CopyFileA of the package into the same folder; replacement - a temporary file\n"
        "written, flushed and renamed over the installed one with MoveFileExA; start-up - a program that asks a\n"
        "message box at once; memory and size - the program that does nothing. Every program is its own process,\n"
        "started from here and timed from CreateProcess to its end (start-up: to its first message box shown).\n"
        "NSIS rewrites an installed package in place. Memory: GetProcessMemoryInfo read every 1 ms in separate,\n"
        "untimed runs, largest reading (Wine reports only live processes; its commit is resident private memory).\n");

    int failed = 0;
    for (const auto& group : groups)
        for (const Case& c : group) failed += c.failed;
    if (failed)
        std::printf("!!! %d run(s) failed their checks and are not counted; figures marked ! lack them.\n", failed);
    return 0;
}

// The quiet setup ended (TerminateProcess) at random moments, with no package installed
// and with an older one installed. Whenever it is ended, the folder must hold what it
// held before or the new package whole; a temporary copy it leaves behind is taken over
// by the next run.
//
// Moments drawn at random from the whole run would mostly land before the copy is
// begun or after the run is over, and prove little about the copy itself. So each case
// first times a few complete runs (when "~tws.pak" appears, when the new package takes
// its place, when the run ends) and then aims its kills at the three stretches in turn,
// half of them at the copy. Where each kill really landed is read from the folder right
// after it, counted and printed; a stretch that no kill reached fails the test, since
// then the test has not shown what it claims.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/setup/setup_e2e.h"

namespace {

const char kPackage[] = "tws.pak";
const char kCopy[] = "~tws.pak";

double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / ticksPerMs;
}

// What a file name shows from outside: whether it is there, its size and last write.
struct FileStamp {
    bool exists = false;
    ULONGLONG size = 0;
    ULONGLONG written = 0;
    bool operator==(const FileStamp& o) const {
        return exists == o.exists && size == o.size && written == o.written;
    }
};

FileStamp StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    FileStamp stamp;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return stamp;
    stamp.exists = true;
    stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.written = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                    data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

struct QuietSetup {
    win::UniqueHandle process;
    double startedMs = 0;
};

QuietSetup StartQuietSetup() {
    const std::wstring exe = BinFolder() + L"\\setup.exe";
    std::wstring commandLine = L"\"" + exe + L"\" modest";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    QuietSetup setup;
    if (!::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        ADD_FAILURE() << "cannot start setup.exe: error " << ::GetLastError();
        return setup;
    }
    setup.startedMs = NowMs();
    ::CloseHandle(info.hThread);
    setup.process.Reset(info.hProcess);
    return setup;
}

DWORD ExitCodeOf(HANDLE process) {
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    return code;
}

// The three stretches of a run that a kill can land in, told apart by the folder.
enum Phase { kBeforeCopy, kDuringCopy, kAfterRename, kPhases };
const char* const kPhaseNames[kPhases] = {"before the copy", "during the copy", "after the rename"};

// How long each stretch lasted in complete runs, in ms: from the start to the copy's
// first appearance, from then to the new package in place, from then to the end.
struct Stretches {
    double beforeCopy = 0;
    double copy = 0;
    double afterRename = 0;
};

// Median of three or more: one slow run (qemu, a busy machine) does not move the aim.
double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class FaultInjection : public ::testing::Test {
protected:
    void SetUp() override {
        newPackage_ = ReadBytes(SamplePayloadPath()).value_or(std::string());
        ASSERT_FALSE(newPackage_.empty()) << "no sample package at " << SamplePayloadPath();
        // An older package (version 400) of another size and content, so that any
        // mixture of the two would show.
        oldPackage_ = newPackage_.substr(0, newPackage_.size() - 777777);
        for (size_t i = 8; i < oldPackage_.size(); i += 4096)
            oldPackage_[i] = static_cast<char>(oldPackage_[i] ^ 0x55);
        oldPackage_[6] = static_cast<char>(400 & 0xFF);
        oldPackage_[7] = static_cast<char>(400 >> 8);
    }

    // The kills of one case; `installed`: the older package is there before each run.
    void EndRunsAtRandomMoments(bool installed);

private:
    // Puts back what the folder held before the setup: no package, or the old one
    // (`asBefore`: the folder was just seen to hold it). A temporary copy an earlier run
    // left stays, for the next run to take over.
    void RestoreTarget(bool asBefore = false) {
        if (!installed_) {
            ::DeleteFileA(target_.c_str());
            ASSERT_FALSE(PathExists(target_));
        } else if (!asBefore && ReadBytes(target_) != oldPackage_) {
            ASSERT_TRUE(WriteBytes(target_, oldPackage_));
        }
    }

    bool TargetAsBefore(const std::optional<std::string>& target) const {
        return installed_ ? target == oldPackage_ : !target.has_value();
    }

    // What the folder shows while a run goes on, from outside: the run's own copy (not
    // the one an earlier run left, untouched), and the new package under the target's
    // name with the copy gone.
    bool CopyBegun(const FileStamp& leftover) const {
        const FileStamp now = StampOf(copy_);
        return now.exists && !(now == leftover);
    }
    bool NewPackageInPlace() const {
        return StampOf(target_).size == newPackage_.size() && !StampOf(copy_).exists;
    }

    // Polls the folder until `seen` holds; false when the process ended first.
    template <typename Seen>
    static bool WatchUntil(HANDLE process, Seen seen) {
        for (;;) {
            if (seen()) return true;
            if (::WaitForSingleObject(process, 1) == WAIT_OBJECT_0) return seen();
        }
    }

    // A run left alone to its end, the folder watched from the start.
    Stretches TimeCompleteRun();

    bool installed_ = false;
    std::string target_, copy_;
    std::string newPackage_;
    std::string oldPackage_;
};

Stretches FaultInjection::TimeCompleteRun() {
    Stretches took;
    const FileStamp leftover = StampOf(copy_);
    QuietSetup setup = StartQuietSetup();
    if (!setup.process) return took;
    const HANDLE process = setup.process.Get();
    const bool copySeen = WatchUntil(process, [&] { return CopyBegun(leftover); });
    const double copyAt = NowMs();
    const bool renameSeen = copySeen && WatchUntil(process, [&] { return NewPackageInPlace(); });
    const double renamedAt = NowMs();
    ::WaitForSingleObject(process, INFINITE);
    const double endedAt = NowMs();
    EXPECT_EQ(ExitCodeOf(process), 0u);
    EXPECT_TRUE(copySeen) << "the temporary copy was never seen";
    EXPECT_TRUE(renameSeen) << "the new package was never seen in place";
    took.beforeCopy = copyAt - setup.startedMs;
    took.copy = renamedAt - copyAt;
    took.afterRename = endedAt - renamedAt;
    return took;
}

void FaultInjection::EndRunsAtRandomMoments(bool installed) {
    installed_ = installed;
    const char* const caseName = installed ? "an older package installed" : "no package installed";
    SampleInstall install(installed ? "fault-replace" : "fault-absent");
    target_ = install.Path(kPackage);
    copy_ = install.Path(kCopy);
    const double began = NowMs();

    // How long the stretches take here, in the middle of a few complete runs.
    std::vector<double> before, during, after;
    for (int run = 0; run < 3; ++run) {
        ASSERT_NO_FATAL_FAILURE(RestoreTarget());
        ::DeleteFileA(copy_.c_str());
        const Stretches took = TimeCompleteRun();
        ASSERT_FALSE(HasFailure()) << "timing run " << run;
        before.push_back(took.beforeCopy);
        during.push_back(took.copy);
        after.push_back(took.afterRename);
    }
    const Stretches typical{Median(before), Median(during), Median(after)};
    std::printf("%s: complete runs took %.0f ms before the copy, %.0f ms for the copy, %.0f ms after the rename\n",
                caseName, typical.beforeCopy, typical.copy, typical.afterRename);

    // Each kill aims at a stretch: half of them at the copy, a quarter at each of the
    // others. Its moment is drawn at random within the stretch's typical length,
    // counted from the moment the folder shows the stretch begin, so that the setup's
    // start-up, which varies by hundreds of ms under emulation, does not decide where
    // the kill lands. Where it did land is read from the folder afterwards.
    const int kills = 100;
    const int maxRuns = 2 * kills;
    int killed = 0, finished = 0;
    int landed[kPhases] = {};
    uint32_t random = installed ? 20261209u : 20261208u;
    bool asBefore = false;
    for (int run = 0; killed < kills; ++run) {
        ASSERT_LT(run, maxRuns) << caseName << ": too many runs finished before they could be ended";
        ASSERT_NO_FATAL_FAILURE(RestoreTarget(asBefore));
        const FileStamp leftover = StampOf(copy_);

        static const Phase kAims[] = {kBeforeCopy, kDuringCopy, kAfterRename, kDuringCopy};
        const Phase aim = kAims[run % 4];
        random = random * 1664525u + 1013904223u;
        const double share = static_cast<double>((random >> 8) & 0xFFFF) / 65536.0;

        QuietSetup setup = StartQuietSetup();
        ASSERT_TRUE(setup.process.Valid());
        const HANDLE process = setup.process.Get();
        double delayMs = share * typical.beforeCopy;
        if (aim == kDuringCopy) {
            // Kept short of the copy's typical end, which the watch sees a little late.
            delayMs = share * 0.8 * typical.copy;
            WatchUntil(process, [&] { return CopyBegun(leftover); });
        } else if (aim == kAfterRename) {
            delayMs = share * typical.afterRename;
            WatchUntil(process, [&] { return NewPackageInPlace(); });
        } else {
            delayMs -= NowMs() - setup.startedMs;
        }
        bool ended = false;
        if (::WaitForSingleObject(process, delayMs > 0 ? static_cast<DWORD>(delayMs) : 0) == WAIT_TIMEOUT)
            ended = ::TerminateProcess(process, 0xDEAD) != FALSE;
        ::WaitForSingleObject(process, INFINITE);
        const DWORD code = ExitCodeOf(process);
        // A process that ended by itself in the meantime keeps its own exit code.
        if (ended && code != 0xDEAD) ended = false;

        const std::optional<std::string> now = ReadBytes(target_);
        const bool isNew = now == newPackage_;
        asBefore = TargetAsBefore(now);
        const FileStamp copyNow = StampOf(copy_);
        const std::string where = std::string(caseName) + ", run " + std::to_string(run) + " (aimed " +
                                  kPhaseNames[aim] + ", +" + std::to_string(static_cast<int>(delayMs)) + " ms)";
        ASSERT_TRUE(isNew || asBefore)
            << where << ": the folder holds " << (now ? std::to_string(now->size()) + " bytes" : "no package")
            << ", neither what it held before nor the new package";
        if (!ended) {
            // A run that ended by itself did all of its work.
            EXPECT_EQ(code, 0u) << where;
            EXPECT_TRUE(isNew) << where;
            EXPECT_FALSE(copyNow.exists) << where << ": a complete run left its temporary copy";
            ++finished;
            continue;
        }
        ++killed;
        Phase phase;
        if (isNew) {
            // The rename takes the copy's name away with it.
            EXPECT_FALSE(copyNow.exists) << where << ": the new package is in place and the copy is still there";
            phase = kAfterRename;
        } else if (copyNow.exists && !(copyNow == leftover)) {
            phase = kDuringCopy;
        } else {
            // No copy, or the one an earlier run left, untouched.
            phase = kBeforeCopy;
        }
        ++landed[phase];
    }

    std::printf("%s: %d runs ended at random moments (%d more finished first), in %.0f s:\n", caseName, killed,
                finished, (NowMs() - began) / 1000.0);
    for (int phase = 0; phase < kPhases; ++phase) std::printf("  %4d  %s\n", landed[phase], kPhaseNames[phase]);
    for (int phase = 0; phase < kPhases; ++phase)
        EXPECT_GT(landed[phase], 0) << caseName << ": no run was ended " << kPhaseNames[phase];
    EXPECT_GE(3 * landed[kDuringCopy], killed) << caseName << ": fewer than a third of the kills hit the copy";

    // A complete run afterwards takes over whatever copy was left and finishes the job.
    ASSERT_NO_FATAL_FAILURE(RestoreTarget());
    if (!PathExists(copy_)) {
        ASSERT_TRUE(WriteBytes(copy_, newPackage_.substr(0, newPackage_.size() / 3)));
    }
    QuietSetup last = StartQuietSetup();
    ASSERT_TRUE(last.process.Valid());
    ::WaitForSingleObject(last.process.Get(), INFINITE);
    EXPECT_EQ(ExitCodeOf(last.process.Get()), 0u);
    EXPECT_TRUE(ReadBytes(target_) == newPackage_) << caseName << ": the complete run did not install the package";
    EXPECT_FALSE(PathExists(copy_)) << caseName << ": the complete run left the temporary copy";
}

}  // namespace

TEST_F(FaultInjection, NoPackageInstalledEndsWithNoPackageOrTheNewOneWhole) { EndRunsAtRandomMoments(false); }

TEST_F(FaultInjection, OlderPackageInstalledEndsWithTheOldPackageOrTheNewOneWhole) { EndRunsAtRandomMoments(true); }

// Control of the application as the stand-in Tarnwick sees it: the quit request and
// the wait for its end, and the start after installing with the two probe waits. The
// stand-in stamps each line of its log with GetTickCount, one clock for all processes.
#include <gtest/gtest.h>

#include <optional>

#include "tests/setup/setup_e2e.h"

namespace {

struct Event {
    std::string what;
    DWORD tick = 0;
};

std::vector<Event> Events(const SampleInstall& install) {
    std::vector<Event> events;
    const std::string log = install.StandInLog();
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find("\r\n", start);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(start, end - start);
        const size_t at = line.rfind(" @");
        if (at != std::string::npos)
            events.push_back({line.substr(0, at), static_cast<DWORD>(std::stoul(line.substr(at + 2)))});
        start = end + 2;
    }
    return events;
}

// The tick of the nth (from 0) event named `what`.
std::optional<DWORD> TickOf(const std::vector<Event>& events, const std::string& what, int nth = 0) {
    for (const Event& e : events)
        if (e.what == what && nth-- == 0) return e.tick;
    return std::nullopt;
}

int CountOf(const std::vector<Event>& events, const std::string& what) {
    int n = 0;
    for (const Event& e : events) n += e.what == what;
    return n;
}

std::string Describe(const std::vector<Event>& events) {
    std::string text;
    for (const Event& e : events) text += e.what + " @" + std::to_string(e.tick) + "\n";
    return text;
}

struct ObservedRun {
    ProcessResult process;
    std::vector<SeenDialog> dialogs;
    DWORD startTick = 0;
    DWORD endTick = 0;
};

ObservedRun RunObserved(const std::wstring& parameters, std::vector<int> answers, BoxObserver observer = nullptr) {
    ObservedRun run;
    DialogDriver driver(std::move(answers), 0, L"", std::move(observer));
    run.startTick = ::GetTickCount();
    run.process = RunAndWait(BinFolder() + L"\\setup.exe", parameters, &driver, 90000);
    run.endTick = ::GetTickCount();
    run.dialogs = driver.Seen();
    return run;
}

// What the stand-in had logged when the setup's first box came up.
struct FirstBoxView {
    bool seen = false;
    std::string log;
    bool applicationRunning = false;
    DWORD tick = 0;
};

BoxObserver WatchFirstBox(const SampleInstall& install, FirstBoxView& view) {
    return [&install, &view](HWND, const SeenDialog&) {
        if (view.seen) return;
        view.seen = true;
        view.log = install.StandInLog();
        view.applicationRunning = ApplicationMemoryExists();
        view.tick = ::GetTickCount();
    };
}

std::string OlderPackage() {
    std::string bytes(64, '\0');
    bytes.replace(0, 6, "TWSPAK");
    bytes[6] = 100;  // 16-bit little-endian version field
    return bytes;
}

bool HoldsThePackage(const std::string& path) {
    const auto installed = ReadBytes(path);
    const auto expected = ReadBytes(SamplePayloadPath());
    return installed && expected && *installed == *expected;
}

class AppControl : public ::testing::Test {
protected:
    AppControl() : install_(std::string("ac-") + ::testing::UnitTest::GetInstance()->current_test_info()->name()) {
        install_.SetStandIn("LogTicks", "1");
    }
    SampleInstall install_;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

// The quit request of the start: sent before any question, and the setup goes on only
// once the application has ended, so the package file it held open can be replaced.
TEST_F(AppControl, RunningApplicationIsAskedToQuitAndAwaitedBeforeAnyQuestion) {
    ASSERT_TRUE(WriteBytes(install_.Path("tws.pak"), OlderPackage()));
    install_.SetStandIn("HoldFile", "tws.pak");
    install_.SetStandIn("QuitDelayMs", "1500");
    ASSERT_TRUE(install_.StartStandIn());
    FirstBoxView first;
    ObservedRun run = RunObserved(L"", {IDYES, IDNO}, WatchFirstBox(install_, first));
    EXPECT_EQ(run.process.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 2u);
    EXPECT_EQ(run.dialogs[0].text, ui::kInstallQuestionEnglish);
    ASSERT_TRUE(first.seen);
    EXPECT_TRUE(Contains(first.log, "quit received")) << first.log;
    EXPECT_TRUE(Contains(first.log, "ended")) << first.log;
    EXPECT_FALSE(first.applicationRunning);
    const std::vector<Event> events = Events(install_);
    ASSERT_TRUE(TickOf(events, "quit received") && TickOf(events, "ended")) << Describe(events);
    EXPECT_GE(*TickOf(events, "ended") - *TickOf(events, "quit received"), 1400u);
    EXPECT_TRUE(HoldsThePackage(install_.Path("tws.pak")));
    EXPECT_FALSE(PathExists(install_.Path("~tws.pak")));
}

// Announced but still without a window at the setup's start: asked once the window
// is there, and the questions that follow are really shown.
TEST_F(AppControl, ApplicationWhoseWindowComesLaterIsAskedWhenItAppears) {
    install_.SetStandIn("WindowDelayMs", "2000");
    ASSERT_TRUE(install_.StartStandIn());
    FirstBoxView first;
    ObservedRun run = RunObserved(L"", {IDNO}, WatchFirstBox(install_, first));
    EXPECT_EQ(run.process.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_EQ(run.dialogs[0].text, ui::kInstallQuestionEnglish);
    EXPECT_EQ(run.dialogs[0].answer, IDNO);
    EXPECT_TRUE(Contains(first.log, "window")) << first.log;
    EXPECT_TRUE(Contains(first.log, "ended")) << first.log;
    const std::vector<Event> events = Events(install_);
    ASSERT_TRUE(TickOf(events, "window") && TickOf(events, "quit received")) << Describe(events);
    // Asked at the next quarter-second probe after the window appeared.
    EXPECT_LE(*TickOf(events, "quit received") - *TickOf(events, "window"), 600u) << Describe(events);
}

// An application that ignores the request is awaited about 10 s, then the setup goes on.
TEST_F(AppControl, ApplicationThatDoesNotEndIsAwaitedAboutTenSeconds) {
    install_.SetStandIn("IgnoreQuit", "1");
    ASSERT_TRUE(install_.StartStandIn());
    ObservedRun run = RunObserved(L"modest", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(run.dialogs.empty());
    EXPECT_TRUE(HoldsThePackage(install_.Path("tws.pak")));
    EXPECT_GE(run.process.milliseconds, 9500u);
    EXPECT_LT(run.process.milliseconds, 16000u);
    EXPECT_EQ(CountOf(Events(install_), "quit received"), 1);
    EXPECT_TRUE(ApplicationMemoryExists());
}

// Announcing after 3 s: found by a 512-ms probe, then its window by the first 1024-ms
// probe, restored and brought to the front.
TEST_F(AppControl, ApplicationAnnouncingAfterThreeSecondsIsDetectedAndBroughtForward) {
    install_.SetStandIn("AnnounceDelayMs", "3000");
    ObservedRun run = RunObserved(L"modest runapp", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    const std::vector<Event> events = Events(install_);
    const auto started = TickOf(events, "started");
    const auto announced = TickOf(events, "announced");
    const auto restored = TickOf(events, "restored");
    ASSERT_TRUE(started && announced && restored) << Describe(events);
    EXPECT_GE(*announced - *started, 2900u);
    EXPECT_GE(*restored - *announced, 900u) << Describe(events);
    EXPECT_LE(*restored - *announced, 2200u) << Describe(events);
    EXPECT_TRUE(TickOf(events, "activated")) << Describe(events);
    EXPECT_LE(run.endTick - *restored, 1500u);
}

// Never announcing: eight probes of 512 ms, about 4 s, and no window search.
TEST_F(AppControl, ApplicationThatNeverAnnouncesEndsTheSetupAfterAboutFourSeconds) {
    install_.SetStandIn("Announce", "0");
    ObservedRun run = RunObserved(L"modest runapp", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    const std::vector<Event> events = Events(install_);
    const auto started = TickOf(events, "started");
    ASSERT_TRUE(started && TickOf(events, "window")) << Describe(events);
    EXPECT_GE(run.endTick - *started, 3000u);
    EXPECT_LE(run.endTick - *started, 6500u);
    EXPECT_FALSE(TickOf(events, "restored")) << Describe(events);
    EXPECT_FALSE(TickOf(events, "activated")) << Describe(events);
}

// The window search: eleven probes of 1024 ms; a window that comes after 11 s is
// given up.
TEST_F(AppControl, WindowAfterElevenSecondsIsGivenUp) {
    install_.SetStandIn("WindowDelayMs", "11000");
    ObservedRun run = RunObserved(L"modest runapp", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    ::Sleep(1000);
    const std::vector<Event> events = Events(install_);
    const auto announced = TickOf(events, "announced");
    ASSERT_TRUE(announced && TickOf(events, "window")) << Describe(events);
    EXPECT_GE(run.endTick - *announced, 10500u);
    EXPECT_LE(run.endTick - *announced, 14000u);
    EXPECT_FALSE(TickOf(events, "restored")) << Describe(events);
    EXPECT_FALSE(TickOf(events, "activated")) << Describe(events);
}

// The setup's probes keep no handle on "tarnwick_memfile": the application it starts
// after asking the old one to quit creates the name afresh, the setup waits for that
// announcement and not for a handle of its own, and the name is free after the run.
// The announcement comes a few probes late, well inside the setup's 3.5 s: under
// emulation on a busy machine the restarted stand-in itself takes up to a second to
// start.
TEST_F(AppControl, ApplicationStartedAfterAQuitFindsItsNameFree) {
    install_.SetStandIn("AnnounceDelayMs", "1500");
    ASSERT_TRUE(install_.StartStandIn(6000));
    ObservedRun run = RunObserved(L"modest runapp", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    const std::vector<Event> events = Events(install_);
    EXPECT_EQ(CountOf(events, "started"), 2) << Describe(events);
    EXPECT_EQ(CountOf(events, "announced"), 2) << Describe(events);
    EXPECT_EQ(CountOf(events, "announced (name was taken)"), 0) << Describe(events);
    const auto restarted = TickOf(events, "started", 1);
    const auto announcedAgain = TickOf(events, "announced", 1);
    const auto restored = TickOf(events, "restored");
    ASSERT_TRUE(restarted && announcedAgain && restored) << Describe(events);
    EXPECT_GE(*restored, *announcedAgain + 900) << Describe(events);
    EndStandIns();
    EXPECT_FALSE(ApplicationMemoryExists());
}

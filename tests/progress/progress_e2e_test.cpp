// The progress window of setup.exe as a user sees it: absent until the older-version
// question, then up, empty and topmost until the process ends. It is looked at from
// the dialog driver while the later boxes are open.
#include <gtest/gtest.h>

#include "tests/setup/setup_e2e.h"

namespace {

struct ProgressWindowView {
    HWND window = nullptr;
    int count = 0;  // "PlainWindow" windows of the setup's process
    bool visible = false;
    RECT outer = {};
    DWORD exStyle = 0;
    std::string caption;
    std::vector<std::string> childClasses;
    std::vector<std::string> childTexts;
    std::vector<RECT> childPlaces;  // in the window's client coordinates
    POINT belowBar = {-1, -1};      // a client point below the bar that the box leaves
                                    // uncovered, in window coordinates
    bool screenshotSaved = false;
};

struct Search {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectProgressWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    char name[32] = {};
    ::GetClassNameA(window, name, sizeof name);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == search->processId && std::string(name) == "PlainWindow") search->found.push_back(window);
    return TRUE;
}

std::string TextOf(HWND window) { return ToUtf8(WindowTextW(window)); }

ProgressWindowView LookAtProgressWindow(DWORD processId, HWND box, const std::wstring& screenshot) {
    ProgressWindowView view;
    Search search{processId, {}};
    ::EnumWindows(CollectProgressWindow, reinterpret_cast<LPARAM>(&search));
    view.count = static_cast<int>(search.found.size());
    if (search.found.empty()) return view;
    view.window = search.found.front();
    view.visible = ::IsWindowVisible(view.window) != FALSE;
    ::GetWindowRect(view.window, &view.outer);
    view.exStyle = static_cast<DWORD>(::GetWindowLongW(view.window, GWL_EXSTYLE));
    view.caption = TextOf(view.window);
    for (HWND child = ::GetWindow(view.window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {};
        ::GetClassNameA(child, name, sizeof name);
        view.childClasses.push_back(name);
        view.childTexts.push_back(TextOf(child));
        RECT r;
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, view.window, reinterpret_cast<POINT*>(&r), 2);
        view.childPlaces.push_back(r);
    }
    // The box may lie over the middle of the window.
    RECT client, boxRect;
    ::GetClientRect(view.window, &client);
    ::GetWindowRect(box, &boxRect);
    for (int x : {10, static_cast<int>(client.right) - 10}) {
        POINT below = {x, client.bottom - 3};
        ::ClientToScreen(view.window, &below);
        if (::PtInRect(&boxRect, below)) continue;
        view.belowBar = {below.x - view.outer.left, below.y - view.outer.top};
        break;
    }
    view.screenshotSaved = SaveWindowBitmap(view.window, screenshot);
    return view;
}

// The colour of a pixel of a 24-bit bottom-up BMP, as COLORREF.
COLORREF PixelOfBitmap(const std::string& bmp, int x, int y) {
    if (bmp.size() < 54) return CLR_INVALID;
    const auto at = [&bmp](size_t i) { return static_cast<unsigned char>(bmp[i]); };
    const int width = static_cast<int>(at(18) | at(19) << 8);
    const int height = static_cast<int>(at(22) | at(23) << 8);
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const size_t offset = 54 + stride * static_cast<size_t>(height - 1 - y) + static_cast<size_t>(x) * 3;
    if (x < 0 || y < 0 || x >= width || y >= height || offset + 2 >= bmp.size()) return CLR_INVALID;
    return RGB(at(offset + 2), at(offset + 1), at(offset));
}

// Whether the window is there and its gray background shows below the bar.
bool Painted(const ProgressWindowView& view, const std::wstring& screenshot) {
    return view.count == 1 && view.screenshotSaved && view.belowBar.x >= 0 &&
           PixelOfBitmap(ReadWholeFile(ToUtf8(screenshot)), view.belowBar.x, view.belowBar.y) == RGB(128, 128, 128);
}

void ExpectPlace(const RECT& r, int left, int top, int width, int height) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

// At the start question the window is up; its own thread may still be making or
// painting it (slow under emulation), so it gets up to 3 s.
ProgressWindowView LookWhenPainted(HWND box, const SeenDialog& seen, const std::wstring& screenshot) {
    ProgressWindowView view = LookAtProgressWindow(seen.processId, box, screenshot);
    for (int wait = 0; seen.text == ui::kStartQuestion && wait < 30 && !Painted(view, screenshot); ++wait) {
        ::Sleep(100);
        view = LookAtProgressWindow(seen.processId, box, screenshot);
    }
    return view;
}

// The DPI of the programs started while it lives, as the display settings give it to a
// user's programs (Wine reads it at process start); the earlier setting comes back.
class LogPixels {
public:
    explicit LogPixels(DWORD dpi) : before_(ReadRegDword(HKEY_CURRENT_USER, kKey, "LogPixels", KEY_WOW64_64KEY)) {
        SetRegDword(HKEY_CURRENT_USER, kKey, "LogPixels", dpi, KEY_WOW64_64KEY);
    }
    LogPixels(const LogPixels&) = delete;
    LogPixels& operator=(const LogPixels&) = delete;
    ~LogPixels() {
        if (before_)
            SetRegDword(HKEY_CURRENT_USER, kKey, "LogPixels", *before_, KEY_WOW64_64KEY);
        else
            DeleteRegValue(HKEY_CURRENT_USER, kKey, "LogPixels", KEY_WOW64_64KEY);
    }

private:
    static constexpr char kKey[] = "Control Panel\\Desktop";
    std::optional<DWORD> before_;
};

}  // namespace

TEST(ProgressWindowE2e, ComesUpEmptyAndTopmostAfterTheOlderVersionQuestionWhateverTheAnswer) {
    const std::string shots = BinFolderA() + "\\..\\test-screenshots";
    ::CreateDirectoryA(shots.c_str(), nullptr);
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDNO ? "older version refused" : "older version accepted");
        SampleInstall install("progress-window");
        ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), PackageWithVersion(409)));
        const std::wstring screenshot =
            FromUtf8(shots + (answer == IDNO ? "\\progress-after-no.bmp" : "\\progress-after-yes.bmp"));
        std::vector<ProgressWindowView> views;
        std::vector<SeenDialog> dialogs;
        {
            DialogDriver driver({IDYES, answer, IDNO}, 0, L"", [&](HWND box, const SeenDialog& seen) {
                views.push_back(LookWhenPainted(box, seen, screenshot));
            });
            EXPECT_EQ(RunAndWait(BinFolder() + L"\\setup.exe", L"", &driver).exitCode, 0u);
            dialogs = driver.Seen();
        }
        ASSERT_EQ(dialogs.size(), 3u);
        ASSERT_EQ(views.size(), 3u);
        EXPECT_EQ(dialogs[0].text, ui::kInstallQuestionEnglish);
        EXPECT_NE(dialogs[1].text.find("older version"), std::string::npos) << dialogs[1].text;
        EXPECT_EQ(dialogs[2].text, ui::kStartQuestion);

        // Not there at the install question, nor at the older-version question itself.
        EXPECT_EQ(views[0].count, 0);
        EXPECT_EQ(views[1].count, 0);

        // At the start question: up, centred on the 1024 x 768 screen, topmost, empty.
        const ProgressWindowView& up = views[2];
        ASSERT_EQ(up.count, 1);
        EXPECT_TRUE(up.visible);
        ExpectPlace(up.outer, 308, 346, 408, 76);
        EXPECT_TRUE(up.exStyle & WS_EX_TOPMOST);
        EXPECT_EQ(up.caption, "");
        ASSERT_EQ(up.childClasses, (std::vector<std::string>{"Static", "msctls_progress32"}));
        EXPECT_EQ(up.childTexts, (std::vector<std::string>{"", ""}));
        ExpectPlace(up.childPlaces[0], 2, 2, 399, 20);
        ExpectPlace(up.childPlaces[1], 2, 24, 400, 20);

        // The screenshot shows the window itself: its gray background below the bar.
        ASSERT_TRUE(up.screenshotSaved);
        ASSERT_GE(up.belowBar.x, 0) << "the box hides the whole width of the window";
        const std::string bmp = ReadWholeFile(ToUtf8(screenshot));
        EXPECT_EQ(PixelOfBitmap(bmp, up.belowBar.x, up.belowBar.y), RGB(128, 128, 128));
    }
}

TEST(ProgressWindowE2e, ScalesItsOwnGeometryAt144DpiAndStaysCentred) {
    const LogPixels dpi(144);
    SampleInstall install("progress-window-144");
    ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), PackageWithVersion(409)));
    const std::wstring screenshot = FromUtf8(BinFolderA() + "\\..\\test-screenshots\\progress-144-dpi.bmp");
    std::vector<ProgressWindowView> views;
    {
        DialogDriver driver({IDYES, IDYES, IDNO}, 0, L"", [&](HWND box, const SeenDialog& seen) {
            if (seen.text == ui::kStartQuestion) views.push_back(LookWhenPainted(box, seen, screenshot));
        });
        EXPECT_EQ(RunAndWait(BinFolder() + L"\\setup.exe", L"", &driver).exitCode, 0u);
    }
    ASSERT_EQ(views.size(), 1u) << "no start question";
    const ProgressWindowView& up = views[0];
    ASSERT_EQ(up.count, 1);
    EXPECT_TRUE(up.visible);
    // Wine stretches nothing (every program gets 144 DPI and draws its own pixels), so
    // what shows here is the scaling the setup does itself: 1.5 times each figure.
    ExpectPlace(up.outer, 206, 327, 612, 114);
    ASSERT_EQ(up.childPlaces.size(), 2u);
    ExpectPlace(up.childPlaces[0], 3, 3, 599, 30);
    ExpectPlace(up.childPlaces[1], 3, 36, 600, 30);
    EXPECT_TRUE(Painted(up, screenshot));
}

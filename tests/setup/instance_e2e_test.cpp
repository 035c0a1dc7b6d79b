// One setup of a package at a time: a second one started while the first waits at its
// install question writes nothing and ends with its own exit code.
#include <gtest/gtest.h>

#include "tests/setup/setup_e2e.h"

namespace {

struct SecondRun {
    ProcessResult process;
    std::vector<SeenDialog> dialogs;
    std::vector<std::string> folder;  // what the install folder held right after it
};

// A driver that answers no box until RunAndWait names its process: the first setup's
// box is open meanwhile and is not its to answer.
constexpr DWORD kNoProcessYet = 0xFFFFFFFF;

SecondRun RunSecond(const std::wstring& parameters, const SampleInstall& install) {
    SecondRun run;
    DialogDriver driver({IDOK}, kNoProcessYet);
    run.process = RunAndWait(BinFolder() + L"\\setup.exe", parameters, &driver);
    run.dialogs = driver.Seen();
    run.folder = ListFolder(install.Folder());
    return run;
}

}  // namespace

TEST(OneSetupAtATime, ASecondSetupWritesNothingAndTheFirstInstalls) {
    SampleInstall install("two-at-once");
    SecondRun asking, quiet, suppressed;
    bool ran = false;
    // While the first setup's install question is open, the others are run to the end.
    DialogDriver first({IDYES, IDNO}, kNoProcessYet, L"", [&](HWND, const SeenDialog& seen) {
        if (ran || seen.text != ui::kInstallQuestionEnglish) return;
        ran = true;
        asking = RunSecond(L"", install);
        quiet = RunSecond(L"modest", install);
        suppressed = RunSecond(L"modest /suppressmsgboxes", install);
    });
    const ProcessResult result = RunAndWait(BinFolder() + L"\\setup.exe", L"", &first);
    ASSERT_TRUE(ran) << "the first setup asked no install question";

    for (const SecondRun* second : {&asking, &quiet}) {
        EXPECT_EQ(second->process.exitCode, 7u);
        ASSERT_EQ(second->dialogs.size(), 1u);
        EXPECT_EQ(second->dialogs[0].text, "Setup is already running.");
        EXPECT_EQ(second->dialogs[0].caption, ui::kEnglishCaption);
        EXPECT_EQ(second->folder, std::vector<std::string>{"Tarnwick.exe"});
    }
    EXPECT_EQ(suppressed.process.exitCode, 7u);
    EXPECT_TRUE(suppressed.dialogs.empty());
    EXPECT_EQ(suppressed.folder, std::vector<std::string>{"Tarnwick.exe"});

    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(ReadBytes(install.Path("tws.pak")), ReadBytes(SamplePayloadPath()));
    EXPECT_FALSE(PathExists(install.Path("~tws.pak")));

    // With the first one gone the guard is free again.
    const SetupRun again = RunSetup(L"modest", {});
    EXPECT_EQ(again.process.exitCode, 0u);
    EXPECT_TRUE(again.dialogs.empty());
}

TEST(RussianLocale, SecondSetupIsToldInRussian) {
    SampleInstall install("two-at-once-ru");
    SecondRun second;
    bool ran = false;
    DialogDriver first({IDNO}, kNoProcessYet, L"", [&](HWND, const SeenDialog&) {
        if (ran) return;
        ran = true;
        second = RunSecond(L"modest", install);
    });
    const ProcessResult result = RunAndWait(BinFolder() + L"\\setup.exe", L"", &first);
    ASSERT_TRUE(ran);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(second.process.exitCode, 7u);
    ASSERT_EQ(second.dialogs.size(), 1u);
    EXPECT_EQ(second.dialogs[0].text, u8"Программа установки уже запущена.");
    EXPECT_EQ(second.dialogs[0].caption, ui::kRussianCaption);
}

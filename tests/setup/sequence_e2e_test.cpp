// The setup sequence as a user and a deployment tool see it: the boxes in order, the
// exit code, the files and the registry.
#include <gtest/gtest.h>

#include "tests/setup/setup_e2e.h"

namespace {

void ExpectQuestion(const SeenDialog& d, const std::string& caption, const std::string& text) {
    EXPECT_EQ(d.caption, caption);
    EXPECT_EQ(d.text, text);
    EXPECT_EQ(d.buttons, (std::vector<int>{IDYES, IDNO}));
}

void ExpectError(const SeenDialog& d, const std::string& caption, const std::string& text) {
    EXPECT_EQ(d.caption, caption);
    EXPECT_EQ(d.text, text);
    EXPECT_EQ(d.buttons, (std::vector<int>{IDOK}));
}

std::optional<DWORD> EstimatedSize() {
    return ReadRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", KEY_WOW64_64KEY);
}

bool SamePackage(const std::string& path) {
    auto installed = ReadBytes(path);
    auto expected = ReadBytes(SamplePayloadPath());
    return installed && expected && *installed == *expected;
}

}  // namespace

TEST(Sequence, FreshInstallAnsweredYesTwiceInstallsRecordsSizeAndStartsTheApplication) {
    SampleInstall install("fresh");
    SetupRun run = RunSetup(L"", {IDYES, IDYES});
    EXPECT_EQ(run.process.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 2u);
    ExpectQuestion(run.dialogs[0], ui::kQuestionCaptionEnglish, ui::kInstallQuestionEnglish);
    // The final question is Russian whatever the locale, with the English caption.
    ExpectQuestion(run.dialogs[1], ui::kEnglishCaption, ui::kStartQuestion);
    EXPECT_TRUE(SamePackage(install.Path("tws.pak")));
    EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
    EXPECT_EQ(EstimatedSize(), FolderKilobytes(install.Folder()));
    // Beside it, what a deployment tool's detection rule reads: the version in place.
    EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "tws.pak", KEY_WOW64_64KEY), 408u);
    const std::string log = install.StandInLog();
    EXPECT_NE(log.find("started"), std::string::npos) << log;
    EXPECT_NE(log.find("restored"), std::string::npos) << log;
    // Started by the desktop shell, with the rights of the user at the desktop, not with
    // the setup's administrator token.
    EXPECT_NE(log.find("parent explorer.exe\r\n"), std::string::npos) << log;
}

TEST(Sequence, InstallQuestionAnsweredNoWritesNothing) {
    SampleInstall install("declined");
    SetupRun run = RunSetup(L"", {IDNO});
    EXPECT_EQ(run.process.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    ExpectQuestion(run.dialogs[0], ui::kQuestionCaptionEnglish, ui::kInstallQuestionEnglish);
    EXPECT_EQ(ListFolder(install.Folder()), std::vector<std::string>{"Tarnwick.exe"});
    EXPECT_FALSE(EstimatedSize().has_value());
}

TEST(Sequence, StartQuestionAnsweredNoLeavesTheApplicationStopped) {
    SampleInstall install("nostart");
    SetupRun run = RunSetup(L"", {IDYES, IDNO});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_EQ(run.dialogs.size(), 2u);
    EXPECT_TRUE(SamePackage(install.Path("tws.pak")));
    EXPECT_EQ(install.StandInLog(), "");
}

TEST(Sequence, MissingExecutableIsReportedAfterTheEarlierChecks) {
    SampleInstall install("noexe", true, false);
    // A running application elsewhere is still asked to quit before the report.
    SampleInstall running("noexe-running", false, true);
    ASSERT_TRUE(running.StartStandIn());
    SetupRun run = RunSetup(L"", {});
    EXPECT_EQ(run.process.exitCode, 4u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    ExpectError(run.dialogs[0], ui::kEnglishCaption, ui::kNotInstalledEnglish);
    EXPECT_NE(running.StandInLog().find("quit received"), std::string::npos);
    EXPECT_TRUE(ListFolder(install.Folder()).empty());
}

TEST(Sequence, NonAdministratorIsRefusedBeforeTheApplicationIsTouched) {
    SampleInstall install("notadmin");
    ASSERT_TRUE(install.StartStandIn());
    SetupRun run = RunSetup(L"", {}, L"setup-testhooks.exe", {"TW_TEST_ADMIN=0"});
    EXPECT_EQ(run.process.exitCode, 2u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    ExpectError(run.dialogs[0], ui::kEnglishCaption, "You have no right to install applications!");
    EXPECT_EQ(install.StandInLog().find("quit received"), std::string::npos);
    EXPECT_FALSE(PathExists(install.Path("tws.pak")));
}

TEST(Sequence, RunningApplicationIsAskedToQuitBeforeAnyQuestionAndThePackageWrittenAfterItEnded) {
    SampleInstall install("running");
    ASSERT_TRUE(install.StartStandIn());
    SetupRun run = RunSetup(L"", {IDYES, IDNO});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_EQ(run.dialogs.size(), 2u);
    const std::string log = install.StandInLog();
    EXPECT_NE(log.find("quit received"), std::string::npos) << log;
    EXPECT_NE(log.find("ended"), std::string::npos) << log;
    EXPECT_TRUE(SamePackage(install.Path("tws.pak")));
    EXPECT_FALSE(ApplicationMemoryExists());
}

TEST(Sequence, RussianMoldovaLocaleGetsRussianTexts) {
    SampleInstall install("lcid2073", true, false);
    SetupRun run = RunSetup(L"", {}, L"setup-testhooks.exe", {"TW_TEST_LCID=2073"});
    EXPECT_EQ(run.process.exitCode, 4u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    ExpectError(run.dialogs[0], ui::kRussianCaption, ui::kNotInstalledRussian);
}

TEST(Sequence, SerbianCyrillicLocaleOutsideTheSetGetsEnglishTexts) {
    SampleInstall install("lcid3098", true, false);
    SetupRun run = RunSetup(L"", {}, L"setup-testhooks.exe", {"TW_TEST_LCID=3098"});
    ASSERT_EQ(run.dialogs.size(), 1u);
    ExpectError(run.dialogs[0], ui::kEnglishCaption, ui::kNotInstalledEnglish);
}

TEST(RussianLocale, QuestionsAndErrorsAreRussian) {
    {
        SampleInstall install("ru");
        SetupRun run = RunSetup(L"", {IDYES, IDNO});
        EXPECT_EQ(run.process.exitCode, 0u);
        ASSERT_EQ(run.dialogs.size(), 2u);
        ExpectQuestion(run.dialogs[0], ui::kQuestionCaptionRussian, ui::kInstallQuestionRussian);
        ExpectQuestion(run.dialogs[1], ui::kEnglishCaption, ui::kStartQuestion);
    }
    {
        SampleInstall install("ru-noexe", true, false);
        SetupRun run = RunSetup(L"", {});
        EXPECT_EQ(run.process.exitCode, 4u);
        ASSERT_EQ(run.dialogs.size(), 1u);
        ExpectError(run.dialogs[0], ui::kRussianCaption, ui::kNotInstalledRussian);
    }
}

TEST(KyrgyzLocale, CyrillicLocaleOutsideTheSetGetsEnglishTexts) {
    SampleInstall install("ky");
    SetupRun run = RunSetup(L"", {IDNO});
    ASSERT_EQ(run.dialogs.size(), 1u);
    ExpectQuestion(run.dialogs[0], ui::kQuestionCaptionEnglish, ui::kInstallQuestionEnglish);
}

TEST(QuietMode, ModestInAnyCaseInstallsWithoutQuestionsAndDoesNotStart) {
    SampleInstall install("quiet");
    SetupRun run = RunSetup(L"MODEST", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(run.dialogs.empty());
    EXPECT_TRUE(SamePackage(install.Path("tws.pak")));
    EXPECT_EQ(EstimatedSize(), FolderKilobytes(install.Folder()));
    EXPECT_EQ(install.StandInLog(), "");
}

TEST(QuietMode, RunAppStartsTheApplicationAndBringsItForward) {
    SampleInstall install("quiet-runapp");
    SetupRun run = RunSetup(L"modest RunApp", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(run.dialogs.empty());
    const std::string log = install.StandInLog();
    EXPECT_NE(log.find("started"), std::string::npos) << log;
    EXPECT_NE(log.find("restored"), std::string::npos) << log;
    EXPECT_NE(log.find("parent explorer.exe\r\n"), std::string::npos) << log;
}

TEST(QuietMode, ModestAsSecondParameterOnlyIsNotQuiet) {
    SampleInstall install("quiet-second");
    SetupRun run = RunSetup(L"x modest", {IDNO});
    EXPECT_EQ(run.process.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    ExpectQuestion(run.dialogs[0], ui::kQuestionCaptionEnglish, ui::kInstallQuestionEnglish);
}

TEST(Discovery, EntryOnlyInThe32BitViewIsFound) {
    SampleInstall install("wow-only", false);
    SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", install.Path("unins000.exe"), KEY_WOW64_32KEY);
    SetupRun run = RunSetup(L"modest", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(SamePackage(install.Path("tws.pak")));
}

TEST(Discovery, NativeEntryWinsOverThe32BitOne) {
    SampleInstall other("native-wins-32", false);
    SampleInstall install("native-wins");
    SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", other.Path("unins000.exe"), KEY_WOW64_32KEY);
    SetupRun run = RunSetup(L"modest", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(SamePackage(install.Path("tws.pak")));
    EXPECT_FALSE(PathExists(other.Path("tws.pak")));
}

TEST(Discovery, QuotedUninstallStringGivesTheFolderOfTheQuotedPath) {
    SampleInstall install("quoted");
    SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString",
                 "\"" + install.Path("unins000.exe") + "\" /SILENT", KEY_WOW64_64KEY);
    SetupRun run = RunSetup(L"modest", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(SamePackage(install.Path("tws.pak")));
}

TEST(Discovery, UninstallStringOfTheWrongTypeIsARegistryFailure) {
    SampleInstall install("wrong-type", false);
    SetRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", 7, KEY_WOW64_64KEY);
    SetupRun run = RunSetup(L"", {});
    EXPECT_EQ(run.process.exitCode, 1u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    ExpectError(run.dialogs[0], ui::kEnglishCaption, "No access to system registry");
    EXPECT_FALSE(PathExists(install.Path("tws.pak")));
}

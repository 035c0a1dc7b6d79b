// Writing the package as a user and a deployment tool see it: what is in the folder
// afterwards and at any moment during the run, the boxes, the exit code.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/setup/setup_e2e.h"

namespace {

std::string SamplePayload() {
    auto bytes = ReadBytes(SamplePayloadPath());
    EXPECT_TRUE(bytes.has_value()) << "no sample package at " << SamplePayloadPath();
    return bytes.value_or(std::string());
}

// Compared without printing megabytes on a mismatch.
::testing::AssertionResult SameBytes(const std::string& path, const std::string& expected) {
    auto bytes = ReadBytes(path);
    if (!bytes) return ::testing::AssertionFailure() << path << " cannot be read";
    if (*bytes != expected)
        return ::testing::AssertionFailure() << path << " holds " << bytes->size() << " other bytes (expected "
                                             << expected.size() << ")";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult HoldsSamplePackage(const std::string& path) { return SameBytes(path, SamplePayload()); }

const std::string kInstallingError = "Can't install file ";

// A copy of setup.exe in its own folder, for changing its bytes.
std::string CopyOfSetup(const std::string& folder) {
    RemoveTree(folder);
    ::CreateDirectoryA("C:\\tw-tests", nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\setup.exe";
    EXPECT_TRUE(::CopyFileA((BinFolderA() + "\\setup.exe").c_str(), copy.c_str(), FALSE));
    return copy;
}

// Where the embedded package starts in the setup file.
size_t PayloadOffset(const std::string& image) {
    const std::string payload = SamplePayload();
    auto at = std::search(image.begin(), image.end(), payload.begin(), payload.begin() + 256);
    EXPECT_NE(at, image.end());
    return static_cast<size_t>(at - image.begin());
}

}  // namespace

TEST(Payload, AbsentTargetIsWrittenThroughTheTemporaryCopy) {
    SampleInstall install("absent");
    FolderWatcher watcher(install.Folder());
    SetupRun run = RunSetup(L"modest", {});
    const std::vector<std::string> seen = watcher.Stop();
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(HoldsSamplePackage(install.Path("tws.pak")));
    // The package appears only by the rename of the complete copy.
    EXPECT_NE(std::count(seen.begin(), seen.end(), "~tws.pak"), 0) << "no temporary copy was written";
    EXPECT_NE(std::count(seen.begin(), seen.end(), "tws.pak"), 0) << "the watcher saw nothing";
    EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
}

TEST(Payload, OlderOrEqualInstalledPackageIsReplacedSilentlyThroughTheTemporaryCopy) {
    for (uint16_t installed : {uint16_t(1), uint16_t(407), uint16_t(408)}) {
        SampleInstall install("older-" + std::to_string(installed));
        ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), PackageWithVersion(installed)));
        FolderWatcher watcher(install.Folder());
        SetupRun run = RunSetup(L"", {IDYES, IDNO});
        const std::vector<std::string> seen = watcher.Stop();
        EXPECT_EQ(run.process.exitCode, 0u);
        EXPECT_EQ(run.dialogs.size(), 2u) << "installed version " << installed;
        EXPECT_TRUE(HoldsSamplePackage(install.Path("tws.pak"))) << installed;
        EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
        EXPECT_NE(std::count(seen.begin(), seen.end(), "~tws.pak"), 0) << "replaced without a temporary copy";
    }
}

TEST(Payload, NewerInstalledPackageIsReplacedOnlyWhenTheUserAgrees) {
    const std::string question = u8"C:\\tw-tests\\newer\\tws.pak file installing is of older version\r\n"
                                 u8"than the same already installed.\r\n\r\n"
                                 u8"Do you really want to replace existing\r\n"
                                 u8"new file version 409 with an older file version 408?";
    {
        SampleInstall install("newer");
        const std::string newer = PackageWithVersion(409);
        ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), newer));
        SetupRun run = RunSetup(L"", {IDYES, IDNO, IDNO});
        EXPECT_EQ(run.process.exitCode, 0u);
        ASSERT_EQ(run.dialogs.size(), 3u);
        EXPECT_EQ(run.dialogs[1].caption, ui::kQuestionCaptionEnglish);
        EXPECT_EQ(run.dialogs[1].text, question);
        EXPECT_EQ(run.dialogs[1].buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_TRUE(SameBytes(install.Path("tws.pak"), newer));
        EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
        EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", KEY_WOW64_64KEY),
                  FolderKilobytes(install.Folder()));
    }
    {
        SampleInstall install("newer");
        ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), PackageWithVersion(409)));
        SetupRun run = RunSetup(L"", {IDYES, IDYES, IDNO});
        EXPECT_EQ(run.process.exitCode, 0u);
        ASSERT_EQ(run.dialogs.size(), 3u);
        EXPECT_TRUE(HoldsSamplePackage(install.Path("tws.pak")));
        EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
    }
}

TEST(RussianLocale, OlderVersionQuestionIsRussian) {
    SampleInstall install("newer-ru");
    ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), PackageWithVersion(409)));
    SetupRun run = RunSetup(L"", {IDYES, IDNO, IDNO});
    ASSERT_EQ(run.dialogs.size(), 3u);
    EXPECT_EQ(run.dialogs[1].caption, ui::kQuestionCaptionRussian);
    EXPECT_EQ(run.dialogs[1].text, u8"Устанавливаемый файл C:\\tw-tests\\newer-ru\\tws.pak\r\n"
                                   u8"более старой версии, чем уже установленный.\r\n\r\n"
                                   u8"Действительно ли Вы хотите заменить уже имеющийся\r\n"
                                   u8"файл версии 409 на более старый версии 408?");
}

TEST(Payload, TargetHeldOpenByTheApplicationIsLeftUnchanged) {
    SampleInstall install("held");
    const std::string old = PackageWithVersion(400);
    ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), old));
    // The application keeps its package open and does not end when asked to quit.
    install.SetStandIn("HoldFile", "tws.pak");
    install.SetStandIn("IgnoreQuit", "1");
    ASSERT_TRUE(install.StartStandIn());
    SetupRun run = RunSetup(L"", {IDYES, IDOK, IDNO});
    EXPECT_EQ(run.process.exitCode, 5u);
    ASSERT_EQ(run.dialogs.size(), 3u);
    EXPECT_EQ(run.dialogs[1].caption, ui::kEnglishCaption);
    EXPECT_EQ(run.dialogs[1].text, kInstallingError + install.Path("tws.pak"));
    EXPECT_EQ(run.dialogs[1].buttons, std::vector<int>{IDOK});
    // The run goes on: the size is still recorded and the start still offered.
    EXPECT_EQ(run.dialogs[2].text, ui::kStartQuestion);
    EndStandIns();
    EXPECT_TRUE(SameBytes(install.Path("tws.pak"), old));
    EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
}

// A user who may write into the install folder (one made at the root of C:, a second
// drive, C:\\Users\\Public) plants a link at a name the elevated setup is about to write,
// rename or read, or at the log it was told to append to. Whatever the link, the file it
// leads to keeps its bytes and its place; the package is installed whole where the link
// can be replaced, and the run ends with the package message where a planted copy name
// cannot be removed on its own (no call of Wine 8 removes a Unix link alone).
TEST(Payload, LinksPlantedAtTheCopyThePackageOrTheLogNeverRedirectAWrite) {
    struct Case {
        const char* at;  // "~tws.pak", "tws.pak" or the log
        bool symbolic;   // else a hard link
        DWORD exitCode;
    } cases[] = {
        {"~tws.pak", true, 5}, {"tws.pak", true, 0}, {"setup.log", true, 0},
        {"~tws.pak", false, 5}, {"tws.pak", false, 0}, {"setup.log", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.symbolic ? "symbolic link at " : "hard link at ") + c.at);
        SampleInstall install("planted-link");
        // Outside the install folder, and newer than the package: read as the installed
        // file, it would raise the older-version question.
        const std::string outside = "C:\\tw-tests\\outside.pak";
        const std::string bytes = PackageWithVersion(409);
        ASSERT_TRUE(WriteBytes(outside, bytes));
        const std::string link = install.Path(c.at);
        if (c.symbolic) {
            ASSERT_TRUE(MakeSymbolicLink(outside, link));
        } else {
            ASSERT_TRUE(::CreateHardLinkA(link.c_str(), outside.c_str(), nullptr));
        }
        const bool logLinked = std::string(c.at) == "setup.log";
        const std::string log = logLinked ? link : "C:\\tw-tests\\planted-link.log";
        ::DeleteFileA("C:\\tw-tests\\planted-link.log");
        SetupRun run = RunSetup(L"modest \"/log=" + FromUtf8(log) + L"\"", {IDOK});
        EXPECT_TRUE(SameBytes(outside, bytes));
        EXPECT_EQ(run.process.exitCode, c.exitCode);
        if (c.exitCode == 0) {
            EXPECT_TRUE(run.dialogs.empty()) << run.dialogs[0].text;
            EXPECT_TRUE(HoldsSamplePackage(install.Path("tws.pak")));
            EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
        } else {
            ASSERT_EQ(run.dialogs.size(), 1u);
            EXPECT_EQ(run.dialogs[0].text, kInstallingError + install.Path("tws.pak"));
            EXPECT_FALSE(PathExists(install.Path("tws.pak")));
        }
        if (!logLinked) {
            const std::string text = ReadWholeFile(log);
            EXPECT_NE(text.find(c.at + std::string(" leads to ")), std::string::npos) << text;
            ::DeleteFileA(log.c_str());
        }
        if (c.symbolic) RemoveSymbolicLink(link);
        ::DeleteFileA(outside.c_str());
    }
}

TEST(Payload, TemporaryNameTakenByAReadOnlyFileOrAFolderLeavesTheTargetUnchanged) {
    for (bool folder : {false, true}) {
        SampleInstall install(folder ? "temp-folder" : "temp-readonly");
        const std::string old = PackageWithVersion(400);
        ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), old));
        if (folder) {
            ASSERT_TRUE(::CreateDirectoryA(install.Path("~tws.pak").c_str(), nullptr));
        } else {
            ASSERT_TRUE(WriteBytes(install.Path("~tws.pak"), "left by someone"));
            ::SetFileAttributesA(install.Path("~tws.pak").c_str(), FILE_ATTRIBUTE_READONLY);
        }
        SetupRun run = RunSetup(L"modest", {});
        EXPECT_EQ(run.process.exitCode, 5u);
        ASSERT_EQ(run.dialogs.size(), 1u);
        EXPECT_EQ(run.dialogs[0].text, kInstallingError + install.Path("tws.pak"));
        EXPECT_TRUE(SameBytes(install.Path("tws.pak"), old));
    }
}

TEST(Payload, ReadOnlyInstalledPackageIsReportedAndKept) {
    SampleInstall install("readonly-target");
    const std::string old = PackageWithVersion(400);
    ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), old));
    ::SetFileAttributesA(install.Path("tws.pak").c_str(), FILE_ATTRIBUTE_READONLY);
    SetupRun run = RunSetup(L"modest", {});
    EXPECT_EQ(run.process.exitCode, 5u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_EQ(run.dialogs[0].text, kInstallingError + install.Path("tws.pak"));
    EXPECT_TRUE(SameBytes(install.Path("tws.pak"), old));
    EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
}

TEST(Payload, TargetThatIsAFolderIsReportedAndNothingIsWritten) {
    SampleInstall install("target-folder");
    ASSERT_TRUE(::CreateDirectoryA(install.Path("tws.pak").c_str(), nullptr));
    SetupRun run = RunSetup(L"modest", {});
    EXPECT_EQ(run.process.exitCode, 5u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_EQ(run.dialogs[0].text, kInstallingError + install.Path("tws.pak"));
    EXPECT_EQ(ListFolder(install.Folder()), (std::vector<std::string>{"Tarnwick.exe", "tws.pak"}));
}

TEST(Integrity, AnyChangedPayloadByteStopsTheSetupBeforeAnythingIsWritten) {
    SampleInstall install("corrupt");
    const std::string copy = CopyOfSetup("C:\\tw-tests\\corrupt-setup");
    std::string image = ReadBytes(copy).value_or(std::string());
    const size_t offset = PayloadOffset(image);
    const size_t size = SamplePayload().size();
    for (size_t at : {offset, offset + size / 2, offset + size - 1}) {
        std::string changed = image;
        changed[at] = static_cast<char>(changed[at] ^ 0x20);
        ASSERT_TRUE(WriteBytes(copy, changed));
        SetupRun run = RunSetup(L"", {}, FromUtf8(copy));
        EXPECT_EQ(run.process.exitCode, 3u) << "byte " << at - offset;
        ASSERT_EQ(run.dialogs.size(), 1u);
        EXPECT_EQ(run.dialogs[0].caption, ui::kEnglishCaption);
        EXPECT_EQ(run.dialogs[0].text, "The setup file is damaged and cannot be used:\r\n" + copy +
                                           "\r\nPlease, download it again.");
        EXPECT_EQ(ListFolder(install.Folder()), std::vector<std::string>{"Tarnwick.exe"});
    }
}

TEST(Integrity, SigningChangesOutsideTheResourcesKeepTheCheckPassing) {
    SampleInstall install("signed");
    const std::string copy = CopyOfSetup("C:\\tw-tests\\signed-setup");
    std::string image = ReadBytes(copy).value_or(std::string());
    ASSERT_GT(image.size(), 0x200u);
    // A signature is appended at the end, and the PE checksum field changes.
    const uint32_t peOffset = *reinterpret_cast<const uint32_t*>(&image[0x3C]);
    const size_t checksumField = peOffset + 4 + 20 + 64;
    image[checksumField] = static_cast<char>(image[checksumField] ^ 0x5A);
    image += std::string(4096, '\x30');
    ASSERT_TRUE(WriteBytes(copy, image));
    SetupRun run = RunSetup(L"modest", {}, FromUtf8(copy));
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(run.dialogs.empty());
    EXPECT_TRUE(HoldsSamplePackage(install.Path("tws.pak")));
}

// Run by signed-setup.sh, which signs a copy of setup.exe with osslsigncode and names
// it in TW_SIGNED_SETUP.
TEST(SignedSetup, RealSignatureKeepsTheCheckPassingAndAChangedPayloadByteStillFailsIt) {
    char value[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableA("TW_SIGNED_SETUP", value, sizeof value);
    if (length == 0 || length >= sizeof value || !PathExists(value)) GTEST_SKIP() << "no signed setup.exe named";
    const std::string signedSetup(value, length);
    const std::string image = ReadBytes(signedSetup).value_or(std::string());
    ASSERT_GT(image.size(), 0x400u);
    // A signed program: its certificate table (the security directory of a PE32 file)
    // is there, at the end of the file.
    const uint32_t peOffset = *reinterpret_cast<const uint32_t*>(&image[0x3C]);
    const size_t optionalHeader = peOffset + 4 + 20;
    ASSERT_EQ(*reinterpret_cast<const uint16_t*>(&image[optionalHeader]), 0x10Bu);
    const size_t securityEntry = optionalHeader + 96 + IMAGE_DIRECTORY_ENTRY_SECURITY * 8;
    const uint32_t certificatesAt = *reinterpret_cast<const uint32_t*>(&image[securityEntry]);
    const uint32_t certificatesSize = *reinterpret_cast<const uint32_t*>(&image[securityEntry + 4]);
    EXPECT_GT(certificatesSize, 0u) << signedSetup << " carries no signature";
    EXPECT_EQ(static_cast<size_t>(certificatesAt) + certificatesSize, image.size());
    {
        SampleInstall install("signed-real");
        SetupRun run = RunSetup(L"modest", {}, FromUtf8(signedSetup));
        EXPECT_EQ(run.process.exitCode, 0u);
        EXPECT_TRUE(run.dialogs.empty());
        EXPECT_TRUE(HoldsSamplePackage(install.Path("tws.pak")));
        EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
    }
    {
        // The signature does not stand in for the payload check: one changed byte of the
        // payload still stops the setup.
        SampleInstall install("signed-changed");
        const std::string copy = CopyOfSetup("C:\\tw-tests\\signed-changed-setup");
        std::string changed = image;
        const size_t at = PayloadOffset(changed) + SamplePayload().size() / 2;
        changed[at] = static_cast<char>(changed[at] ^ 0x20);
        ASSERT_TRUE(WriteBytes(copy, changed));
        SetupRun run = RunSetup(L"", {}, FromUtf8(copy));
        EXPECT_EQ(run.process.exitCode, 3u);
        ASSERT_EQ(run.dialogs.size(), 1u);
        EXPECT_EQ(run.dialogs[0].caption, ui::kEnglishCaption);
        EXPECT_EQ(run.dialogs[0].text, "The setup file is damaged and cannot be used:\r\n" + copy +
                                           "\r\nPlease, download it again.");
        EXPECT_EQ(ListFolder(install.Folder()), std::vector<std::string>{"Tarnwick.exe"});
        RemoveTree("C:\\tw-tests\\signed-changed-setup");
    }
}

TEST(Payload, TwoPartBuildInstallsTheJoinedPackage) {
    SampleInstall install("two-part");
    SetupRun run = RunSetup(L"modest", {}, L"setup-twq.exe");
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(HoldsSamplePackage(install.Path("twq.pak")));
    // An installed file is replaced whole, through the temporary copy.
    ASSERT_TRUE(WriteBytes(install.Path("twq.pak"), PackageWithVersion(999)));
    run = RunSetup(L"modest", {}, L"setup-twq.exe");
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(HoldsSamplePackage(install.Path("twq.pak")));
    EXPECT_FALSE(PathExists(install.Path("~twq.pak")));
}

// Run by a separate test that maps a small tmpfs as drive T: (see small-drive.sh).
TEST(SmallDrive, NearlyFullDriveLeavesTheInstalledFileAndNothingElse) {
    if (!PathExists("T:\\")) GTEST_SKIP() << "no small drive T: mapped";
    {
        SampleInstall install("full", true, true, "T:\\tw");
        const std::string old = PackageWithVersion(400);
        ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), old));
        SetupRun run = RunSetup(L"modest", {});
        EXPECT_EQ(run.process.exitCode, 5u);
        ASSERT_EQ(run.dialogs.size(), 1u);
        EXPECT_EQ(run.dialogs[0].text, kInstallingError + install.Path("tws.pak"));
        EXPECT_TRUE(SameBytes(install.Path("tws.pak"), old));
        EXPECT_EQ(ListFolder(install.Folder()), (std::vector<std::string>{"Tarnwick.exe", "tws.pak"}));
    }
    {
        // A new file that does not fit is removed again.
        SampleInstall install("full-new", true, true, "T:\\tw");
        SetupRun run = RunSetup(L"modest", {});
        EXPECT_EQ(run.process.exitCode, 5u);
        EXPECT_EQ(ListFolder(install.Folder()), std::vector<std::string>{"Tarnwick.exe"});
    }
}

// R: is a read-only view of the folders on W: (a bind mount that read-only-drive.sh
// maps), so the folder itself refuses every write, whoever asks.
TEST(ReadOnlyDrive, InstallFolderThatRefusesWritesKeepsThePackageAndLeavesNothingBehind) {
    if (!PathExists("R:\\") || !PathExists("W:\\")) GTEST_SKIP() << "no read-only drive R: mapped";
    for (const bool installed : {true, false}) {
        SCOPED_TRACE(installed ? "older package installed" : "no package installed");
        SampleInstall install(installed ? "old" : "none", true, true, "W:\\tw");
        const std::string old = PackageWithVersion(400);
        if (installed) {
            ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), old));
        }
        const std::string folder = "R:" + install.Folder().substr(2);
        SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", folder + "unins000.exe", KEY_WOW64_64KEY);

        SetupRun run = RunSetup(L"modest", {});
        EXPECT_EQ(run.process.exitCode, 5u);
        ASSERT_EQ(run.dialogs.size(), 1u);
        EXPECT_EQ(run.dialogs[0].text, kInstallingError + folder + "tws.pak");
        if (installed) {
            EXPECT_TRUE(SameBytes(install.Path("tws.pak"), old));
        }
        std::vector<std::string> expected{"Tarnwick.exe"};
        if (installed) expected.push_back("tws.pak");
        EXPECT_EQ(ListFolder(install.Folder()), expected);
    }
}

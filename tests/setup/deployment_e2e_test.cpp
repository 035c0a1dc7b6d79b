// Unattended runs as deployment tools start them: message boxes suppressed, a log that
// says why a run ended as it did, and help on the command line.
#include <gtest/gtest.h>

#include <windows.h>
#include <bcrypt.h>

#include "base/win32.h"
#include "tests/setup/setup_e2e.h"

namespace {

// A folder name with blanks and letters that no Western ANSI code page holds.
const std::wstring kLogFolder = L"C:\\tw-tests\\журнал установки";
const std::wstring kLog = kLogFolder + L"\\tw.log";

std::string ReadWide(const std::wstring& path) {
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

bool IsUtf8(const std::string& bytes) {
    return bytes.empty() || ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                  static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class Deployment : public ::testing::Test {
protected:
    void SetUp() override {
        ::CreateDirectoryA("C:\\tw-tests", nullptr);
        ::DeleteFileW(kLog.c_str());
        ::CreateDirectoryW(kLogFolder.c_str(), nullptr);
    }
    void TearDown() override {
        ::DeleteFileW(kLog.c_str());
        ::RemoveDirectoryW(kLogFolder.c_str());
    }
};

}  // namespace

TEST_F(Deployment, SuppressedBoxesWithNoApplicationShowNothingAndEndWithItsCode) {
    SampleInstall install("deploy-missing", true, false);
    SetupRun run = RunSetup(L"modest /suppressmsgboxes", {});
    EXPECT_EQ(run.process.exitCode, 4u);
    EXPECT_TRUE(run.dialogs.empty());
    // Without the option the same run shows its error as before.
    run = RunSetup(L"modest", {IDOK});
    EXPECT_EQ(run.process.exitCode, 4u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_EQ(run.dialogs[0].text, ui::kNotInstalledEnglish);
    // Outside quiet mode the option changes nothing.
    run = RunSetup(L"/suppressmsgboxes", {IDOK});
    EXPECT_EQ(run.process.exitCode, 4u);
    EXPECT_EQ(run.dialogs.size(), 1u);
}

TEST_F(Deployment, SuppressedBoxesKeepANewerInstalledPackage) {
    SampleInstall install("deploy-newer");
    const std::string newer = PackageWithVersion(409);
    ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), newer));
    SetupRun run = RunSetup(L"/SuppressMsgBoxes modest \"/log=" + kLog + L"\"", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(run.dialogs.empty());
    EXPECT_EQ(ReadBytes(install.Path("tws.pak")), newer);
    EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
    const std::string log = ReadWide(kLog);
    EXPECT_NE(log.find("installed version 409, new version 408"), std::string::npos) << log;
    EXPECT_NE(log.find("question not asked, boxes suppressed; taken as no"), std::string::npos) << log;
    EXPECT_NE(log.find("kept, the installed file is newer"), std::string::npos) << log;

    // Without the option the question is asked as before.
    run = RunSetup(L"modest", {IDNO});
    EXPECT_EQ(run.process.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_EQ(run.dialogs[0].caption, ui::kQuestionCaptionEnglish);
    EXPECT_EQ(ReadBytes(install.Path("tws.pak")), newer);
}

TEST_F(Deployment, LogSaysWhyAndEveryRunAppendsToIt) {
    SampleInstall install("deploy-log");
    const std::wstring logOption = L"\"/log=" + kLog + L"\"";
    SetupRun run = RunSetup(L"modest " + logOption, {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(run.dialogs.empty());
    const std::string first = ReadWide(kLog);
    EXPECT_TRUE(IsUtf8(first));
    EXPECT_NE(first.find(u8"журнал установки"), std::string::npos) << first;  // the command line
    EXPECT_NE(first.find("install folder: " + install.Folder()), std::string::npos) << first;
    EXPECT_NE(first.find("tws.pak: written"), std::string::npos) << first;
    EXPECT_NE(first.find("\"EstimatedSize\" = "), std::string::npos) << first;
    EXPECT_TRUE(EndsWith(first, "exit code: 0\r\n")) << first;
    // Every line begins with the local date and time to the millisecond.
    for (size_t start = 0; start < first.size(); start = first.find('\n', start) + 1) {
        const std::string stamp = first.substr(start, 24);
        EXPECT_TRUE(stamp.size() == 24 && stamp[4] == '-' && stamp[10] == ' ' && stamp[19] == '.' && stamp[23] == ' ')
            << stamp;
    }

    // The application holds its package open and does not end when asked.
    ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), PackageWithVersion(400)));
    install.SetStandIn("HoldFile", "tws.pak");
    install.SetStandIn("IgnoreQuit", "1");
    ASSERT_TRUE(install.StartStandIn());
    run = RunSetup(logOption + L" modest", {IDOK});
    EndStandIns();
    EXPECT_EQ(run.process.exitCode, 5u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    const std::string both = ReadWide(kLog);
    EXPECT_TRUE(IsUtf8(both));
    ASSERT_EQ(both.compare(0, first.size(), first), 0) << "the second run did not append";
    const std::string second = both.substr(first.size());
    EXPECT_EQ(Count(both, "setup started: "), 2u);
    EXPECT_NE(second.find("the application is running: asked to quit"), std::string::npos) << second;
    EXPECT_NE(second.find("error shown: Can't install file " + install.Path("tws.pak")), std::string::npos) << second;
    // The call that failed, its error number and the system's text for it: a sharing
    // violation, or access denied where the rename reports that.
    const size_t failed =
        second.find("SetFileInformationByHandle(FileRenameInfo) failed for " + install.Path("tws.pak") + ": error ");
    ASSERT_NE(failed, std::string::npos) << second;
    const std::string error = second.substr(failed, second.find('\n', failed) - failed);
    EXPECT_TRUE(error.find(": error 32: ") != std::string::npos || error.find(": error 5: ") != std::string::npos)
        << error;
    EXPECT_GT(error.size(), error.find(": error ") + 12) << "no system text: " << error;
    EXPECT_TRUE(EndsWith(second, "exit code: 5\r\n")) << second;
}

TEST_F(Deployment, LogThatCannotBeOpenedChangesNothing) {
    SampleInstall install("deploy-nolog");
    SetupRun run = RunSetup(L"modest \"/log=C:\\tw-tests\\no such folder\\tw.log\"", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(run.dialogs.empty());
    EXPECT_TRUE(PathExists(install.Path("tws.pak")));
    EXPECT_FALSE(PathExists("C:\\tw-tests\\no such folder"));
}

TEST_F(Deployment, HelpShowsOneBoxAndChangesNothing) {
    SampleInstall install("deploy-help");
    for (const std::wstring& parameters :
         std::vector<std::wstring>{L"/?", L"/HELP", L"modest runapp /help \"/log=" + kLog + L"\""}) {
        SetupRun run = RunSetup(parameters, {IDOK});
        EXPECT_EQ(run.process.exitCode, 0u);
        ASSERT_EQ(run.dialogs.size(), 1u);
        EXPECT_EQ(run.dialogs[0].caption, ui::kEnglishCaption);
        EXPECT_EQ(run.dialogs[0].buttons, std::vector<int>{IDOK});
        const std::string& text = run.dialogs[0].text;
        EXPECT_EQ(text.rfind("Installs the Tarnwick package", 0), 0u) << text;
        for (const char* part : {"modest", "runapp", "/log=FILE", "/suppressmsgboxes", "/? or /help", "Exit codes:",
                                 "0 - ", "5 - the package file could not be installed", "6 - ",
                                 "8 - nobody could be asked: run it with modest"})
            EXPECT_NE(text.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(ListFolder(install.Folder()), std::vector<std::string>{"Tarnwick.exe"});
    EXPECT_FALSE(ReadRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", KEY_WOW64_64KEY).has_value());
    EXPECT_EQ(::GetFileAttributesW(kLog.c_str()), INVALID_FILE_ATTRIBUTES);
    // With boxes suppressed not even the help box comes up.
    SetupRun run = RunSetup(L"modest /suppressmsgboxes /?", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(run.dialogs.empty());
}

// A deployment tool runs the setup as the system account in session 0, in a window
// station that nobody sees: no box may wait there for an answer, and nothing may start
// there that nobody can use.
TEST_F(Deployment, WhereNobodyCanSeeABoxNothingWaitsForAnAnswer) {
    HiddenWindowStation hidden(L"tw-tests-hidden");
    ASSERT_TRUE(hidden.Valid());
    const std::wstring logOption = L"\"/log=" + kLog + L"\"";
    auto runHidden = [&](const std::wstring& parameters) {
        ::DeleteFileW(kLog.c_str());
        SetupRun run = RunSetup(parameters, {}, L"setup.exe", {}, 30000, hidden.Desktop());
        EXPECT_FALSE(run.process.timedOut) << "waited for an answer";
        EXPECT_TRUE(run.dialogs.empty());
        return run;
    };
    {
        SCOPED_TRACE("modest, a newer package installed");
        SampleInstall install("hidden-newer");
        const std::string newer = PackageWithVersion(409);
        ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), newer));
        EXPECT_EQ(runHidden(L"modest " + logOption).process.exitCode, 0u);
        EXPECT_TRUE(ReadBytes(install.Path("tws.pak")) == newer) << "the newer package was replaced";
        EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
        // The detection value names the package kept.
        EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "tws.pak", KEY_WOW64_64KEY), 409u);
        const std::string log = ReadWide(kLog);
        EXPECT_NE(log.find("window station: not interactive"), std::string::npos) << log;
        EXPECT_NE(log.find("question not asked, nobody can see it; taken as no"), std::string::npos) << log;
    }
    {
        SCOPED_TRACE("without modest");
        SampleInstall install("hidden-asked");
        EXPECT_EQ(runHidden(logOption).process.exitCode, 8u);
        EXPECT_EQ(ListFolder(install.Folder()), std::vector<std::string>{"Tarnwick.exe"});
        EXPECT_FALSE(ReadRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", KEY_WOW64_64KEY).has_value());
        const std::string log = ReadWide(kLog);
        EXPECT_NE(log.find("nobody could be asked: run it with modest"), std::string::npos) << log;
        EXPECT_TRUE(EndsWith(log, "exit code: 8\r\n")) << log;
    }
    {
        SCOPED_TRACE("modest runapp");
        SampleInstall install("hidden-runapp");
        EXPECT_EQ(runHidden(L"modest runapp " + logOption).process.exitCode, 0u);
        EXPECT_TRUE(ReadBytes(install.Path("tws.pak")) == ReadBytes(SamplePayloadPath())) << "not installed";
        EXPECT_EQ(install.StandInLog(), "");
        EXPECT_FALSE(ApplicationMemoryExists());
        EXPECT_NE(ReadWide(kLog).find("the application is not started: nobody can see it here"), std::string::npos);
    }
    {
        // An error box would have come up on the desktop of whoever is logged on.
        SCOPED_TRACE("modest, no application; and the help");
        SampleInstall install("hidden-missing", true, false);
        EXPECT_EQ(runHidden(L"modest").process.exitCode, 4u);
        EXPECT_EQ(runHidden(L"/?").process.exitCode, 0u);
    }
}

// A virus scanner or an indexer holds the package for a moment, without sharing. The
// setup waits that out; a file held for good still ends the run with the package
// message, about 10 s later.
TEST_F(Deployment, APackageHeldForAMomentIsWaitedForAndOneHeldForGoodFailsLater) {
    SampleInstall install("deploy-held");
    const std::string target = install.Path("tws.pak");
    const std::string old = PackageWithVersion(400);
    const std::wstring logOption = L"\"/log=" + kLog + L"\"";
    {
        SCOPED_TRACE("held for 3 s");
        ASSERT_TRUE(WriteBytes(target, old));
        struct TimedHold {
            win::UniqueFile file;
            static DWORD WINAPI Release(void* self) {
                ::Sleep(3000);
                static_cast<TimedHold*>(self)->file.Reset();
                return 0;
            }
        } hold{win::UniqueFile(::CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))};
        ASSERT_TRUE(hold.file.Valid());
        const win::UniqueHandle releaser(::CreateThread(nullptr, 0, TimedHold::Release, &hold, 0, nullptr));
        SetupRun run = RunSetup(L"modest " + logOption, {});
        ::WaitForSingleObject(releaser.Get(), INFINITE);
        EXPECT_EQ(run.process.exitCode, 0u);
        EXPECT_TRUE(run.dialogs.empty());
        EXPECT_TRUE(ReadBytes(target) == ReadBytes(SamplePayloadPath())) << "not installed";
        EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
        const std::string log = ReadWide(kLog);
        EXPECT_NE(log.find(target + ": held by another process (error 32), try 2 in "), std::string::npos) << log;
        EXPECT_NE(log.find(target + ": replaced"), std::string::npos) << log;
    }
    {
        SCOPED_TRACE("held for good");
        ASSERT_TRUE(WriteBytes(target, old));
        ::DeleteFileW(kLog.c_str());
        win::UniqueFile held(::CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.Valid());
        SetupRun run = RunSetup(L"modest /suppressmsgboxes " + logOption, {});
        held.Reset();
        EXPECT_EQ(run.process.exitCode, 5u);
        EXPECT_GE(run.process.milliseconds, 9000u);
        EXPECT_LT(run.process.milliseconds, 30000u);
        EXPECT_TRUE(ReadBytes(target) == old) << "the held package changed";
        EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
        const std::string log = ReadWide(kLog);
        EXPECT_NE(log.find(target + ": still held, given up"), std::string::npos) << log;
        EXPECT_TRUE(EndsWith(log, "exit code: 5\r\n")) << log;
    }
}

TEST(RussianLocale, HelpIsInRussian) {
    SetupRun run = RunSetup(L"/?", {IDOK});
    EXPECT_EQ(run.process.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_EQ(run.dialogs[0].caption, ui::kRussianCaption);
    EXPECT_EQ(run.dialogs[0].text.rfind(u8"Устанавливает пакет Tarnwick", 0), 0u) << run.dialogs[0].text;
    EXPECT_NE(run.dialogs[0].text.find(u8"Коды завершения:"), std::string::npos);
}

namespace {

// The hash as a winget manifest gives it: SHA-256 in upper-case hex.
std::string Sha256Hex(const std::string& bytes) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    UCHAR digest[32] = {};
    const bool hashed =
        BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) &&
        BCRYPT_SUCCESS(::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0)) &&
        BCRYPT_SUCCESS(::BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                                        static_cast<ULONG>(bytes.size()), 0)) &&
        BCRYPT_SUCCESS(::BCryptFinishHash(hash, digest, sizeof digest, 0));
    if (hash != nullptr) ::BCryptDestroyHash(hash);
    if (algorithm != nullptr) ::BCryptCloseAlgorithmProvider(algorithm, 0);
    std::string hex;
    for (UCHAR byte : digest) {
        hex += "0123456789ABCDEF"[byte >> 4];
        hex += "0123456789ABCDEF"[byte & 15];
    }
    return hashed ? hex : "";
}

// The manifest's lines as "key: value" pairs, without indent and list marks.
std::vector<std::pair<std::string, std::string>> ManifestEntries(const std::string& manifest) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (size_t start = 0; start < manifest.size();) {
        size_t end = manifest.find('\n', start);
        if (end == std::string::npos) end = manifest.size();
        std::string line = manifest.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line.erase(0, line.find_first_not_of(" -"));
        const size_t colon = line.find(": ");
        if (colon != std::string::npos && line[0] != '#')
            entries.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
    return entries;
}

std::string ManifestValue(const std::string& manifest, const std::string& key) {
    for (const auto& [name, value] : ManifestEntries(manifest))
        if (name == key) return value;
    return "";
}

// The codes the help box lists after "Exit codes:", as "N - meaning" lines.
std::vector<int> HelpExitCodes(const std::string& help) {
    std::vector<int> codes;
    for (size_t at = help.find("\n", help.find("Exit codes:")); at != std::string::npos; at = help.find('\n', at + 1))
        if (at + 4 < help.size() && help[at + 1] >= '0' && help[at + 1] <= '9' && help.compare(at + 2, 3, " - ") == 0)
            codes.push_back(help[at + 1] - '0');
    return codes;
}

}  // namespace

// The manifest the build writes beside setup.exe, taken as winget takes it: the hash of
// the program beside it, a response for every exit code the help lists, and its switches
// joined as winget joins them, with a path of blanks put in place of <LOGPATH> as it
// stands, unquoted.
TEST_F(Deployment, WingetManifestFitsTheSetupBesideIt) {
    const std::string manifest = ReadWholeFile(BinFolderA() + "\\setup.winget.yaml");
    ASSERT_FALSE(manifest.empty());
    const std::optional<std::string> setup = ReadBytes(BinFolderA() + "\\setup.exe");
    ASSERT_TRUE(setup.has_value());
    EXPECT_EQ(ManifestValue(manifest, "InstallerSha256"), Sha256Hex(*setup));

    std::vector<std::pair<int, std::string>> responses;
    const auto entries = ManifestEntries(manifest);
    for (size_t i = 0; i + 1 < entries.size(); ++i)
        if (entries[i].first == "InstallerReturnCode" && entries[i + 1].first == "ReturnResponse")
            responses.emplace_back(std::stoi(entries[i].second), entries[i + 1].second);
    const std::vector<std::pair<int, std::string>> documented = {
        {1, "custom"}, {2, "custom"}, {3, "custom"},           {4, "missingDependency"},
        {5, "custom"}, {6, "custom"}, {7, "installInProgress"}, {8, "invalidParameter"}};
    EXPECT_EQ(responses, documented);
    SetupRun run = RunSetup(L"/?", {IDOK});
    ASSERT_EQ(run.dialogs.size(), 1u);
    const std::vector<int> helpCodes = HelpExitCodes(run.dialogs[0].text);
    EXPECT_GE(helpCodes.size(), 8u) << run.dialogs[0].text;
    for (int code : helpCodes) {
        bool listed = code == 0;
        for (const auto& response : responses) listed = listed || response.first == code;
        EXPECT_TRUE(listed) << "exit code " << code << " is missing from ExpectedReturnCodes";
    }

    SampleInstall install("deploy-winget");
    std::wstring parameters =
        FromUtf8(ManifestValue(manifest, "SilentWithProgress") + " " + ManifestValue(manifest, "Log"));
    const size_t token = parameters.find(L"<LOGPATH>");
    ASSERT_NE(token, std::wstring::npos) << ToUtf8(parameters);
    parameters.replace(token, 9, kLog);
    run = RunSetup(parameters, {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(run.dialogs.empty());
    EXPECT_TRUE(PathExists(install.Path("tws.pak")));
    EXPECT_TRUE(EndsWith(ReadWide(kLog), "exit code: 0\r\n")) << ToUtf8(parameters);
}

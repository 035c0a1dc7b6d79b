// The last write of a run, "EstimatedSize" in the native uninstall entry, refused by
// the registry itself: the key's DACL denies setting values and creating subkeys, as
// an administrator's lock-down would. Wine's server checks a key's DACL when a handle
// is opened, as Windows does, so the setup meets the same refusal it would meet there.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <memory>

#include "tests/setup/setup_e2e.h"

namespace {

const std::string kNoRegistry = "No access to system registry";
const std::string kCannotInstall = "Can't install file ";

// While it lives, nobody may set a value or create a subkey under the key in the
// native view; reading it, and putting its DACL back, stay allowed. The DACL it had
// is restored at the end, through the handle that changed it.
class WriteDeniedKey {
public:
    explicit WriteDeniedKey(const std::string& path) { Deny(path); }
    WriteDeniedKey(const WriteDeniedKey&) = delete;
    WriteDeniedKey& operator=(const WriteDeniedKey&) = delete;
    ~WriteDeniedKey() {
        if (locked_) {
            EXPECT_EQ(::RegSetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, original_.data()), ERROR_SUCCESS)
                << "the uninstall key keeps its denial";
        }
    }
    bool Locked() const { return locked_; }

private:
    void Deny(const std::string& path) {
        LSTATUS s = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL | WRITE_DAC | KEY_WOW64_64KEY,
                                    key_.Put());
        if (s != ERROR_SUCCESS) key_.Detach();
        EXPECT_EQ(s, ERROR_SUCCESS) << "cannot open " << path << " to change its DACL";
        if (!key_) return;
        DWORD size = 0;
        ::RegGetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, nullptr, &size);
        original_.resize(size);
        s = ::RegGetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, original_.data(), &size);
        EXPECT_EQ(s, ERROR_SUCCESS) << "cannot read the DACL of " << path;
        if (s != ERROR_SUCCESS) return;

        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = nullptr;
        ::GetSecurityDescriptorDacl(original_.data(), &present, &dacl, &defaulted);
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        ASSERT_TRUE(::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
        const std::unique_ptr<void, decltype(&::FreeSid)> ownsEveryone(everyone, &::FreeSid);

        // The denial first, then what the key allowed before (all, for a key without a DACL).
        std::vector<BYTE> acl(1024 + (present && dacl ? dacl->AclSize : 0));
        auto* denied = reinterpret_cast<PACL>(acl.data());
        ASSERT_TRUE(::InitializeAcl(denied, static_cast<DWORD>(acl.size()), ACL_REVISION));
        ASSERT_TRUE(::AddAccessDeniedAce(denied, ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, everyone));
        if (present && dacl) {
            for (DWORD i = 0; i < dacl->AceCount; ++i) {
                void* ace = nullptr;
                ASSERT_TRUE(::GetAce(dacl, i, &ace));
                ASSERT_TRUE(::AddAce(denied, ACL_REVISION, MAXDWORD, ace, static_cast<PACE_HEADER>(ace)->AceSize));
            }
        } else {
            ASSERT_TRUE(::AddAccessAllowedAce(denied, ACL_REVISION, KEY_ALL_ACCESS, everyone));
        }
        SECURITY_DESCRIPTOR descriptor;
        ASSERT_TRUE(::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
        ASSERT_TRUE(::SetSecurityDescriptorDacl(&descriptor, TRUE, denied, FALSE));
        s = ::RegSetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, &descriptor);
        ASSERT_EQ(s, ERROR_SUCCESS) << "cannot deny writes to " << path;
        locked_ = true;
    }

    win::UniqueKey key_;
    std::vector<BYTE> original_;
    bool locked_ = false;
};

std::optional<DWORD> EstimatedSize(REGSAM view) {
    return ReadRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", view);
}

::testing::AssertionResult HoldsSamplePackage(const std::string& path) {
    const auto bytes = ReadBytes(path);
    const auto expected = ReadBytes(SamplePayloadPath());
    if (!bytes || !expected || *bytes != *expected)
        return ::testing::AssertionFailure() << path << " does not hold the sample package";
    return ::testing::AssertionSuccess();
}

void ExpectError(const SeenDialog& box, const std::string& text) {
    EXPECT_EQ(box.caption, ui::kEnglishCaption);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
}

// A sample installation whose native uninstall key refuses writes from the start. The
// setup reads the entry with read access alone, so the locked entry is still the one that
// names the install folder: no copy in the 32-bit view is needed or looked at.
struct LockedInstall {
    explicit LockedInstall(const std::string& name) : install(name) {
        lock = std::make_unique<WriteDeniedKey>(kUninstallKey);
    }
    // The lock goes first, so that the sample installation can remove its keys.
    ~LockedInstall() { lock.reset(); }
    SampleInstall install;
    std::unique_ptr<WriteDeniedKey> lock;
};

}  // namespace

TEST(SizeRecord, UninstallKeyThatRefusesWritesEndsTheRunWithSixAfterThePackageIsInstalled) {
    {
        SCOPED_TRACE("the key refuses writes from the start");
        LockedInstall locked("size-denied");
        ASSERT_TRUE(locked.lock->Locked());
        const std::string log = locked.install.Path("setup.log");
        SetupRun run = RunSetup(L"modest \"/log=" + FromUtf8(log) + L"\"", {});
        EXPECT_EQ(run.process.exitCode, 6u);
        ASSERT_EQ(run.dialogs.size(), 1u);
        ExpectError(run.dialogs[0], kNoRegistry);
        EXPECT_TRUE(HoldsSamplePackage(locked.install.Path("tws.pak")));
        EXPECT_FALSE(PathExists(locked.install.Path("~tws.pak")));
        EXPECT_FALSE(EstimatedSize(KEY_WOW64_64KEY).has_value());
        EXPECT_FALSE(EstimatedSize(KEY_WOW64_32KEY).has_value());
        // Refused by the registry (error 5, access denied), not skipped.
        const std::string text = ReadWholeFile(log);
        // The entry is opened where it was found, not created.
        EXPECT_NE(text.find("RegOpenKeyExW failed"), std::string::npos) << text;
        EXPECT_NE(text.find(": error 5"), std::string::npos) << text;
        EXPECT_NE(text.find("exit code: 6"), std::string::npos) << text;
        EXPECT_NE(text.find("install folder: " + locked.install.Folder()), std::string::npos) << text;
    }
    {
        // The entry the setup found is locked while it asks whether to install.
        SCOPED_TRACE("the key refuses writes from the install question on");
        SampleInstall install("size-denied-later");
        std::unique_ptr<WriteDeniedKey> lock;
        std::vector<SeenDialog> seen;
        {
            DialogDriver driver({IDYES, IDOK}, 0, L"", [&lock](HWND, const SeenDialog& box) {
                if (!lock && box.text == ui::kInstallQuestionEnglish) lock = std::make_unique<WriteDeniedKey>(kUninstallKey);
            });
            const ProcessResult result = RunAndWait(BinFolder() + L"\\setup.exe", L"", &driver);
            seen = driver.Seen();
            EXPECT_EQ(result.exitCode, 6u);
        }
        ASSERT_TRUE(lock && lock->Locked()) << "the install question was not asked";
        // No start question follows the failure.
        ASSERT_EQ(seen.size(), 2u);
        ExpectError(seen[1], kNoRegistry);
        EXPECT_TRUE(HoldsSamplePackage(install.Path("tws.pak")));
        EXPECT_FALSE(EstimatedSize(KEY_WOW64_64KEY).has_value());
        lock.reset();
    }
}

TEST(SizeRecord, FailedPackageWriteStillDecidesTheCodeWhenTheSizeCannotBeRecordedEither) {
    for (const bool heldOpen : {true, false}) {
        SCOPED_TRACE(heldOpen ? "the package is held open with no sharing" : "the package is read-only");
        LockedInstall locked(heldOpen ? "first-held" : "first-readonly");
        ASSERT_TRUE(locked.lock->Locked());
        const std::string target = locked.install.Path("tws.pak");
        const std::string old = PackageWithVersion(400);
        ASSERT_TRUE(WriteBytes(target, old));
        win::UniqueFile held;
        if (heldOpen) {
            held.Reset(::CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held.Valid());
        } else {
            ASSERT_TRUE(::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        SetupRun run = RunSetup(L"modest", {});
        held.Reset();
        EXPECT_EQ(run.process.exitCode, 5u);
        // Both failures are shown, in the order they happened.
        ASSERT_EQ(run.dialogs.size(), 2u);
        ExpectError(run.dialogs[0], kCannotInstall + target);
        ExpectError(run.dialogs[1], kNoRegistry);
        EXPECT_TRUE(ReadBytes(target) == old) << "the installed package changed";
        EXPECT_FALSE(PathExists(locked.install.Path("~tws.pak")));
        EXPECT_FALSE(EstimatedSize(KEY_WOW64_64KEY).has_value());
    }
}

// A 32-bit application on 64-bit Windows has its entry under WOW6432Node: the size and
// the detection value go there, and the native view gets no key of its own.
TEST(SizeRecord, AnEntryOnlyInThe32BitViewGetsTheSizeAndTheDetectionValueThere) {
    SampleInstall install("size-wow", false);
    SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", install.Folder() + "unins000.exe",
                 KEY_WOW64_32KEY);
    SetupRun run = RunSetup(L"modest", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(HoldsSamplePackage(install.Path("tws.pak")));
    EXPECT_EQ(EstimatedSize(KEY_WOW64_32KEY), FolderKilobytes(install.Folder()));
    EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "tws.pak", KEY_WOW64_32KEY), 408u);
    HKEY native = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &native),
              ERROR_SUCCESS);
    if (native != nullptr) ::RegCloseKey(native);
}

// The registry accessor against the real registry, below a scratch key of the test
// prefix.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/registry.h"
#include "tests/harness/harness.h"

namespace {

const char kScratch[] = "Software\\TarnwickSetupTests\\Registry";

class RegistryAccessor : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteRegTree(HKEY_CURRENT_USER, kScratch, KEY_WOW64_64KEY);
        SetRegString(HKEY_CURRENT_USER, std::string(kScratch) + "\\A", "text", "alpha", KEY_WOW64_64KEY);
        SetRegDword(HKEY_CURRENT_USER, std::string(kScratch) + "\\A", "number", 7, KEY_WOW64_64KEY);
        SetRegString(HKEY_CURRENT_USER, std::string(kScratch) + "\\A\\B", "text", "beta", KEY_WOW64_64KEY);
    }
    void TearDown() override { DeleteRegTree(HKEY_CURRENT_USER, kScratch, KEY_WOW64_64KEY); }
    TRegistry reg{KEY_ALL_ACCESS | KEY_WOW64_64KEY};
};

}  // namespace

TEST_F(RegistryAccessor, StartsAtTheCurrentUserAndReadsStringsOfTheOpenKey) {
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(std::string(kScratch) + "\\A", false));
    EXPECT_TRUE(reg.ValueExists("text"));
    EXPECT_FALSE(reg.ValueExists("missing"));
    EXPECT_EQ(reg.ReadString("text"), "alpha");
    EXPECT_EQ(reg.ReadString("missing"), "");
    EXPECT_THROW(reg.ReadString("number"), RegistryError);
}

TEST_F(RegistryAccessor, RelativePathsOpenBelowTheOpenKeyAndAFailedOpenKeepsIt) {
    ASSERT_TRUE(reg.OpenKey(std::string(kScratch) + "\\A", false));
    ASSERT_TRUE(reg.OpenKey("B", false));
    EXPECT_EQ(reg.ReadString("text"), "beta");
    EXPECT_FALSE(reg.OpenKey("NoSuchKey", false));
    EXPECT_EQ(reg.ReadString("text"), "beta");  // still the previous key
    ASSERT_TRUE(reg.OpenKey("\\" + std::string(kScratch) + "\\A", false));
    EXPECT_EQ(reg.ReadString("text"), "alpha");
}

TEST_F(RegistryAccessor, ChangingTheRootKeyClosesTheOpenKey) {
    ASSERT_TRUE(reg.OpenKey(std::string(kScratch) + "\\A", false));
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.HasOpenKey());
    EXPECT_FALSE(reg.ValueExists("text"));
}

TEST_F(RegistryAccessor, CreatesKeysOnlyWhenAskedAndWritesDwords) {
    const std::string created = std::string(kScratch) + "\\Created";
    EXPECT_FALSE(reg.OpenKey(created, false));
    ASSERT_TRUE(reg.OpenKey(created, true));
    reg.WriteInteger("EstimatedSize", 0xFFFFFFFFu);
    reg.CloseKey();
    EXPECT_EQ(ReadRegDword(HKEY_CURRENT_USER, created, "EstimatedSize", KEY_WOW64_64KEY), 0xFFFFFFFFu);
    EXPECT_THROW(reg.WriteInteger("x", 1), RegistryError);  // no key open
}

TEST_F(RegistryAccessor, TheViewFlagSelectsTheNativeOrThe32BitKey) {
    const std::string path = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TarnwickViewTest";
    SetRegString(HKEY_LOCAL_MACHINE, path, "view", "64", KEY_WOW64_64KEY);
    SetRegString(HKEY_LOCAL_MACHINE, path, "view", "32", KEY_WOW64_32KEY);
    TRegistry native(KEY_ALL_ACCESS | KEY_WOW64_64KEY);
    TRegistry plain(KEY_ALL_ACCESS);
    native.SetRootKey(HKEY_LOCAL_MACHINE);
    plain.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(native.OpenKey(path, false));
    ASSERT_TRUE(plain.OpenKey(path, false));
    EXPECT_EQ(native.ReadString("view"), "64");
    // A 32-bit program without the flag is redirected to the WOW6432Node copy.
    EXPECT_EQ(plain.ReadString("view"), "32");
    native.CloseKey();
    plain.CloseKey();
    DeleteRegTree(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY);
    DeleteRegTree(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY);
}

TEST_F(RegistryAccessor, StringsWithoutTerminatorOrWithEmbeddedNulEndCleanly) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kScratch) + "\\A").c_str(), 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, "unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
    ::RegSetValueExA(key, "embedded", 0, REG_SZ, reinterpret_cast<const BYTE*>("ab\0cd"), 6);
    ::RegSetValueExA(key, "empty", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 0);
    ::RegCloseKey(key);
    ASSERT_TRUE(reg.OpenKey(std::string(kScratch) + "\\A", false));
    EXPECT_EQ(reg.ReadString("unterminated"), "abc");
    EXPECT_EQ(reg.ReadString("embedded"), "ab");
    EXPECT_EQ(reg.ReadString("empty"), "");
}

// The facts as Wine gives them to this program, read once through the identification's
// own layer and once directly.
#include "sysinfo/win32_facts.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "sysinfo/windows_version.h"
#include "tests/harness/harness.h"

namespace {

std::string RegText(HKEY root, const char* path, const char* name, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return "(none)";
    char value[512] = {};
    DWORD size = sizeof value - 1;
    DWORD type = REG_NONE;
    const LSTATUS status = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::string(value) : std::string("(none)");
}

TEST(Win32WindowsFacts, SameAsTheSystemCalls) {
    sysinfo::Win32WindowsFacts facts;
    OSVERSIONINFOEXA direct{};
    direct.dwOSVersionInfoSize = sizeof direct;
    ASSERT_TRUE(::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&direct)));
    const std::optional<sysinfo::VersionRecord> v = facts.Version();
    ASSERT_TRUE(v);
    EXPECT_TRUE(v->extended);
    EXPECT_EQ(v->major, direct.dwMajorVersion);
    EXPECT_EQ(v->minor, direct.dwMinorVersion);
    EXPECT_EQ(v->build, direct.dwBuildNumber);
    EXPECT_EQ(v->platformId, direct.dwPlatformId);
    EXPECT_EQ(v->csdText, direct.szCSDVersion);
    EXPECT_EQ(v->suiteMask, direct.wSuiteMask);
    EXPECT_EQ(v->productType, direct.wProductType);

    // The test prefix is a 64-bit Windows; a 32-bit program sees x86 from GetSystemInfo.
    SYSTEM_INFO own{};
    ::GetSystemInfo(&own);
    EXPECT_EQ(own.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
    EXPECT_EQ(facts.Architecture(), PROCESSOR_ARCHITECTURE_AMD64);

    const char* currentVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    EXPECT_EQ(facts.ProductName().value_or("(none)"), RegText(HKEY_LOCAL_MACHINE, currentVersion, "ProductName", KEY_WOW64_64KEY));
    EXPECT_EQ(facts.ProductOptions().value_or("(none)"),
              RegText(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType", 0));
    // Wine's registry carries the key, for programs that look for NT 4 SP6a this way.
    EXPECT_TRUE(facts.HasQ246009Hotfix());
    EXPECT_EQ(facts.VerOutput().rfind("\r\nMicrosoft Windows ", 0), 0u);
}

TEST(Win32WindowsFacts, ProductNameInThe64BitView) {
    // A name that only the 32-bit copy of the key holds must not be read.
    const char* key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    const std::string native = RegText(HKEY_LOCAL_MACHINE, key, "ProductName", KEY_WOW64_64KEY);
    const std::string redirected = RegText(HKEY_LOCAL_MACHINE, key, "ProductName", KEY_WOW64_32KEY);
    SetRegString(HKEY_LOCAL_MACHINE, key, "ProductName", "Only in the 32-bit view", KEY_WOW64_32KEY);
    sysinfo::Win32WindowsFacts facts;
    EXPECT_EQ(facts.ProductName().value_or("(none)"), native);
    if (redirected == "(none)")
        DeleteRegValue(HKEY_LOCAL_MACHINE, key, "ProductName", KEY_WOW64_32KEY);
    else
        SetRegString(HKEY_LOCAL_MACHINE, key, "ProductName", redirected, KEY_WOW64_32KEY);
}

TEST(WindowsDescription, OfTheTestPrefix) {
    // The prefix of the tests is Wine's default, a 64-bit Windows 7 SP1.
    EXPECT_EQ(sysinfo::WindowsDescription(false), "Microsoft Windows 7 64-bit Service Pack 1");
    EXPECT_EQ(sysinfo::WindowsDescription(true), "Microsoft Windows 7 64-bit 6.1.7601 Service Pack 1");
    EXPECT_TRUE(sysinfo::IsWindows64());
    EXPECT_FALSE(sysinfo::IsServer());
    EXPECT_TRUE(sysinfo::IsNt6Family());
    EXPECT_FALSE(sysinfo::IsNt10Family());
}

}  // namespace

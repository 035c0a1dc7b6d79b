// The small system questions on the real file system and environment of the prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/system.h"
#include "base/win32.h"
#include "tests/harness/harness.h"

TEST(System, FilesAndFoldersAreToldApart) {
    const std::string folder = "C:\\tw-tests\\system";
    ::CreateDirectoryA("C:\\tw-tests", nullptr);
    RemoveTree(folder);
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(folder + "\\file.txt", "x"));
    EXPECT_TRUE(IsExistingFile(folder + "\\file.txt"));
    EXPECT_FALSE(IsExistingFolder(folder + "\\file.txt"));
    EXPECT_TRUE(IsExistingFolder(folder));
    EXPECT_TRUE(IsExistingFolder(folder + "\\"));
    EXPECT_FALSE(IsExistingFile(folder));
    for (const std::string& missing : {folder + "\\missing", std::string()}) {
        EXPECT_FALSE(IsExistingFile(missing)) << missing;
        EXPECT_FALSE(IsExistingFolder(missing)) << missing;
    }
    RemoveTree(folder);
}

TEST(System, EnvironmentVariablesOfAnyLength) {
    const std::string longValue(5000, 'v');
    ASSERT_TRUE(::SetEnvironmentVariableA("TW_SYSTEM_TEST", longValue.c_str()));
    EXPECT_EQ(EnvironmentVariable("TW_SYSTEM_TEST"), longValue);
    ASSERT_TRUE(::SetEnvironmentVariableA("TW_SYSTEM_TEST", "short"));
    EXPECT_EQ(EnvironmentVariable("TW_SYSTEM_TEST"), "short");
    ASSERT_TRUE(::SetEnvironmentVariableA("TW_SYSTEM_TEST", nullptr));
    EXPECT_EQ(EnvironmentVariable("TW_SYSTEM_TEST"), "");
}

TEST(System, KernelProceduresByName) {
    using GetTickCountFn = DWORD(WINAPI*)();
    EXPECT_NE(win::KernelProcedure<GetTickCountFn>("GetTickCount"), nullptr);
    EXPECT_EQ(win::KernelProcedure<GetTickCountFn>("NoSuchProcedureAnywhere"), nullptr);
    EXPECT_EQ(win::Procedure<GetTickCountFn>(nullptr, "GetTickCount"), nullptr);
}

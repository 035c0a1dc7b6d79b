// The setup runs elevated from download folders: a DLL planted under a system DLL's
// name must never be the one it uses.
#include <gtest/gtest.h>

#include "payload/versions.h"
#include "tests/harness/harness.h"

TEST(DllLoading, VersionFunctionsComeFromSystem32EvenWhenAPlantedCopyIsLoaded) {
    const std::string folder = "C:\\tw-tests\\planted-version";
    RemoveTree(folder);
    ::CreateDirectoryA("C:\\tw-tests", nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string planted = folder + "\\version.dll";
    ASSERT_TRUE(::CopyFileA((BinFolderA() + "\\planted_marker.dll").c_str(), planted.c_str(), FALSE));
    // A module of that base name is already in the process, as after a planted DLL was
    // pulled in by someone else's import.
    HMODULE marker = ::LoadLibraryA(planted.c_str());
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(ExecutableVersionText(BinFolderA() + "\\versioned_sample.exe"), "4.3.2.1");
    ::FreeLibrary(marker);
    RemoveTree(folder);
}

// DLLs planted beside setup.exe under the names of the DLLs it uses that are not
// KnownDLLs. Wine is told to prefer a native DLL for those names, as Windows does for
// a DLL that is not a KnownDLL and sits in the program's folder: CTest runs these
// tests with WINEDLLOVERRIDES set, which Wine reads from the Unix environment that
// every process of the run inherits.
#include <gtest/gtest.h>

#include "tests/setup/setup_e2e.h"

namespace {

const std::string kFolder = "C:\\tw-tests\\planted";
const char* const kPlanted[] = {"comctl32", "version"};

std::string PlantBeside(const std::string& program) {
    RemoveTree(kFolder);
    ::CreateDirectoryA("C:\\tw-tests", nullptr);
    ::CreateDirectoryA(kFolder.c_str(), nullptr);
    const std::string copy = kFolder + "\\" + program;
    EXPECT_TRUE(::CopyFileA((BinFolderA() + "\\" + program).c_str(), copy.c_str(), FALSE));
    for (const char* name : kPlanted)
        EXPECT_TRUE(::CopyFileA((BinFolderA() + "\\planted_marker.dll").c_str(),
                                (kFolder + "\\" + name + ".dll").c_str(), FALSE));
    return copy;
}

bool Loaded(const char* name) { return PathExists(kFolder + "\\" + name + ".dll.loaded"); }

}  // namespace

TEST(DllPlanting, SetupLoadsNoPlantedCommonControlsEvenWithTheProgressWindowUp) {
    ASSERT_NE(::GetEnvironmentVariableA("WINEDLLOVERRIDES", nullptr, 0), 0u) << "run through CTest";
    SampleInstall install("planting");
    // An installed package that is newer brings up the older-version question and, after
    // it, the progress window with its common controls.
    std::string newer("tws\0\x01\x00\x99\x01", 8);
    newer.resize(64, 'x');
    ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), newer));
    const std::string setup = PlantBeside("setup.exe");
    SetupRun run = RunSetup(L"", {IDYES, IDYES, IDNO}, FromUtf8(setup));
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_EQ(run.dialogs.size(), 3u);
    EXPECT_FALSE(Loaded("comctl32"));
    // version.dll is not checked here: Wine's own user32 imports it and Wine resolves
    // its builtins' imports from the program's folder too, which Windows' user32 does
    // not do. setup.exe's own use of it is checked through its import table and by
    // loading it while a planted copy is in the process.
    RemoveTree(kFolder);
}

TEST(DllPlanting, AStaticImportOfVersionDllWouldLoadThePlantedCopy) {
    ASSERT_NE(::GetEnvironmentVariableA("WINEDLLOVERRIDES", nullptr, 0), 0u) << "run through CTest";
    SampleInstall install("planting-control");
    const std::string control = PlantBeside("setup-static-version.exe");
    SetupRun run = RunSetup(L"modest", {}, FromUtf8(control));
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(Loaded("version"));
    RemoveTree(kFolder);
}

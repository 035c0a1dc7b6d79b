// The registry view that the Windows identification decides, seen by a user of setup.exe:
// an uninstall entry that only the 64-bit view holds is found when the description says
// 64-bit and missed otherwise. Each run is a copy of setup.exe with its own Windows
// version (HKCU\Software\Wine\AppDefaults\<program>\Version); the rest of the prefix
// stays a Windows 7.
#include <gtest/gtest.h>

#include <set>

#include "tests/setup/setup_e2e.h"

namespace {

std::set<std::string> TempNames() {
    char folder[MAX_PATH] = {};
    ::GetEnvironmentVariableA("Temp", folder, MAX_PATH);
    const std::vector<std::string> names = ListFolder(folder);
    return std::set<std::string>(names.begin(), names.end());
}

TEST(RegistryView, UninstallEntryOnlyInThe64BitViewIsFoundOn64BitWindows) {
    struct Case {
        const char* version;
        bool found;
    };
    const Case cases[] = {{"win10", true}, {"win7", true}, {"winxp", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        const std::string program = std::string("setup-view-") + c.version + ".exe";
        const std::string appDefaults = "Software\\Wine\\AppDefaults\\" + program;
        ASSERT_TRUE(::CopyFileA((BinFolderA() + "\\setup.exe").c_str(), (BinFolderA() + "\\" + program).c_str(), FALSE));
        SetRegString(HKEY_CURRENT_USER, appDefaults, "Version", c.version, 0);
        {
            SampleInstall install(std::string("view-") + c.version);  // the entry in the 64-bit view only
            const std::set<std::string> tempBefore = TempNames();
            SetupRun run = RunSetup(L"", {c.found ? IDNO : IDOK}, FromUtf8(program));
            ASSERT_EQ(run.dialogs.size(), 1u);
            if (c.found) {
                EXPECT_EQ(run.process.exitCode, 0u);
                EXPECT_EQ(run.dialogs[0].text, ui::kInstallQuestionEnglish);
            } else {
                EXPECT_EQ(run.process.exitCode, 4u);  // not installed
                EXPECT_EQ(run.dialogs[0].text, ui::kNotInstalledEnglish);
            }
            // On win10 start-up ran "ver" through a file in Temp; it is gone again.
            EXPECT_EQ(TempNames(), tempBefore);
        }
        DeleteRegTree(HKEY_CURRENT_USER, appDefaults, 0);
        ::DeleteFileA((BinFolderA() + "\\" + program).c_str());
    }
}

}  // namespace

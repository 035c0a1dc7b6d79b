// Bad input from every side the setup reads: command lines, registry values of odd
// shapes and types, installed files, the environment. Each case runs setup.exe end to
// end and states the outcome: the exit code, the one message (or none), and that
// nothing was written outside the install folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/setup/setup_e2e.h"

namespace {

const std::string kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::string kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kNoRegistry = "No access to system registry";
const std::string kCannotInstall = "Can't install file ";

struct BadInput {
    const char* name;
    std::function<void(SampleInstall&)> prepare;  // runs after the sample installation exists
    std::wstring parameters;
    std::vector<std::string> environment;
    DWORD exitCode;
    std::string message;  // "" for no box; a box whose text starts with it otherwise
    bool packageWritten;
    std::function<void(SampleInstall&)> restore = nullptr;
    int firstAnswer = IDNO;  // to the install question, when there is one
};

void SetUninstallString(const std::string& value) {
    SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", value, KEY_WOW64_64KEY);
}

void SetUninstallValue(DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key,
                      nullptr);
    ::RegSetValueExA(key, "UninstallString", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
}

std::string PakOfSize(size_t size, uint16_t version = 409) {
    std::string bytes("tws\0\x01\x00", 6);
    bytes += static_cast<char>(version & 0xFF);
    bytes += static_cast<char>(version >> 8);
    bytes.resize(size, '\x5A');
    return bytes.substr(0, size);
}

// A registry value of another type under a name that is read as a text; the value it
// had is put back afterwards.
struct ValueSwap {
    HKEY root;
    std::string path, name;
    std::optional<std::string> old;
    void Replace(DWORD type, const std::string& bytes) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return;
        char buffer[4096];
        DWORD size = sizeof buffer, oldType = 0;
        if (::RegQueryValueExA(key, name.c_str(), nullptr, &oldType, reinterpret_cast<BYTE*>(buffer), &size) ==
                ERROR_SUCCESS &&
            (oldType == REG_SZ || oldType == REG_EXPAND_SZ))
            old = std::string(buffer, size > 0 ? size - 1 : 0);
        ::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size()));
        ::RegCloseKey(key);
    }
    void Restore() {
        if (old)
            SetRegString(root, path, name, *old, KEY_WOW64_64KEY);
        else
            DeleteRegValue(root, path, name, KEY_WOW64_64KEY);
    }
};

ValueSwap programFiles{HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", {}};
ValueSwap userPrograms{HKEY_CURRENT_USER, kShellFolders, "Programs", {}};
ValueSwap commonDesktop{HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop", {}};

// Files written anywhere but the install folder would show here.
std::vector<std::string> Snapshot() {
    std::vector<std::string> all;
    for (const char* folder : {"C:\\", "C:\\windows", "C:\\Program Files (x86)", "C:\\Program Files", "C:\\tw-tests"})
        for (const std::string& name : ListFolder(folder)) all.push_back(std::string(folder) + "\\" + name);
    return all;
}

std::vector<BadInput> Corpus() {
    const std::string longPath = "C:\\" + std::string(300, 'd') + "\\unins000.exe";
    return {
        // Command lines.
        {"quoted quiet word", nullptr, L"\"mod\"est", {}, 0, "", true},
        {"unclosed quote around the quiet word", nullptr, L"\"modest", {}, 0, "", true},
        {"empty first parameter", nullptr, L"\"\" modest", {}, 0, "Would you like to setup", false},
        {"very long first parameter", nullptr, L"" + std::wstring(20000, L'M'), {}, 0, "Would you like to setup", false},
        {"very long second parameter", nullptr, L"modest " + std::wstring(20000, L'r'), {}, 0, "", true},
        {"many parameters", nullptr, L"modest x y z \"a b\" c", {}, 0, "", true},
        {"tabs between parameters", nullptr, L"modest\t\trunapp_not", {}, 0, "", true},
        {"non-ASCII capitals stay as they are", nullptr, L"MODEST\u00C9", {}, 0, "Would you like to setup", false},
        // "UninstallString" of every odd shape: the entry does not count, the default
        // folder is tried, and the missing application is reported.
        {"relative uninstaller path", [](SampleInstall&) { SetUninstallString("Tarnwick\\unins000.exe"); }, L"", {}, 4,
         ui::kNotInstalledEnglish, false},
        {"path with ..",
         [](SampleInstall& i) { SetUninstallString(i.Folder() + "..\\" + "..\\windows\\unins000.exe"); }, L"", {}, 4,
         ui::kNotInstalledEnglish, false},
        {"network path", [](SampleInstall&) { SetUninstallString("\\\\tarnwick-host\\share\\Tarnwick\\unins000.exe"); },
         L"", {}, 4, ui::kNotInstalledEnglish, false},
        {"device path", [](SampleInstall&) { SetUninstallString("\\\\?\\C:\\tw-tests\\x\\unins000.exe"); }, L"", {}, 4,
         ui::kNotInstalledEnglish, false},
        {"300 characters", [longPath](SampleInstall&) { SetUninstallString(longPath); }, L"", {}, 4,
         ui::kNotInstalledEnglish, false},
        {"no backslash", [](SampleInstall&) { SetUninstallString("unins000.exe"); }, L"", {}, 4,
         ui::kNotInstalledEnglish, false},
        {"empty", [](SampleInstall&) { SetUninstallString(""); }, L"", {}, 4, ui::kNotInstalledEnglish, false},
        {"only a quote", [](SampleInstall&) { SetUninstallString("\""); }, L"", {}, 4, ui::kNotInstalledEnglish, false},
        {"environment variable not expanded",
         [](SampleInstall&) { SetUninstallValue(REG_EXPAND_SZ, std::string("%SystemDrive%\\tw\\unins000.exe", 31)); },
         L"", {}, 4, ui::kNotInstalledEnglish, false},
        {"folder of another drive that does not exist", [](SampleInstall&) { SetUninstallString("Q:\\x\\unins000.exe"); },
         L"", {}, 4, ui::kNotInstalledEnglish, false},
        // Registry values of the wrong type.
        {"uninstaller as a number", [](SampleInstall&) { SetUninstallValue(REG_DWORD, std::string("\x07\0\0\0", 4)); },
         L"", {}, 1, kNoRegistry, false},
        {"uninstaller as binary", [](SampleInstall&) { SetUninstallValue(REG_BINARY, "C:\\x\\"); }, L"", {}, 1,
         kNoRegistry, false},
        {"uninstaller as a list", [](SampleInstall&) { SetUninstallValue(REG_MULTI_SZ, std::string("C:\\a\\b\0\0", 8)); },
         L"", {}, 1, kNoRegistry, false},
        {"ProgramFilesDir as a number", [](SampleInstall&) { programFiles.Replace(REG_DWORD, std::string(4, '\0')); },
         L"", {}, 1, kNoRegistry, false, [](SampleInstall&) { programFiles.Restore(); }},
        {"per-user Programs as binary", [](SampleInstall&) { userPrograms.Replace(REG_BINARY, "xyz"); }, L"", {}, 1,
         kNoRegistry, false, [](SampleInstall&) { userPrograms.Restore(); }},
        {"Common Desktop as a number", [](SampleInstall&) { commonDesktop.Replace(REG_DWORD, std::string(4, '\1')); },
         L"", {}, 1, kNoRegistry, false, [](SampleInstall&) { commonDesktop.Restore(); }},
        // Installed package files of 0 to 8 bytes: too short to hold a version, they read
        // as 0 and are replaced without a question; 8 bytes hold version 409.
        {"installed package of 0 bytes", [](SampleInstall& i) { WriteBytes(i.Path("tws.pak"), PakOfSize(0)); },
         L"modest", {}, 0, "", true},
        {"installed package of 1 byte", [](SampleInstall& i) { WriteBytes(i.Path("tws.pak"), PakOfSize(1)); },
         L"modest", {}, 0, "", true},
        {"installed package of 4 bytes", [](SampleInstall& i) { WriteBytes(i.Path("tws.pak"), PakOfSize(4)); },
         L"modest", {}, 0, "", true},
        {"installed package of 7 bytes", [](SampleInstall& i) { WriteBytes(i.Path("tws.pak"), PakOfSize(7)); },
         L"modest", {}, 0, "", true},
        {"installed package of 8 bytes, newer", [](SampleInstall& i) { WriteBytes(i.Path("tws.pak"), PakOfSize(8)); },
         L"", {}, 0, "C:\\tw-tests\\bad-input\\tws.pak file installing is of older version", false, nullptr, IDYES},
        {"installed package with version 65535",
         [](SampleInstall& i) { WriteBytes(i.Path("tws.pak"), PakOfSize(64, 0xFFFF)); }, L"", {}, 0,
         "C:\\tw-tests\\bad-input\\tws.pak file installing is of older version", false, nullptr, IDYES},
        {"installed package that is a folder",
         [](SampleInstall& i) { ::CreateDirectoryA(i.Path("tws.pak").c_str(), nullptr); }, L"modest", {}, 5,
         kCannotInstall + "C:\\tw-tests\\bad-input\\tws.pak", false},
        {"application that is a folder",
         [](SampleInstall& i) {
             ::DeleteFileA(i.Path("Tarnwick.exe").c_str());
             ::CreateDirectoryA(i.Path("Tarnwick.exe").c_str(), nullptr);
         },
         L"", {}, 4, ui::kNotInstalledEnglish, false},
        // The environment.
        {"Temp that does not exist", nullptr, L"modest", {"TEMP=C:\\no\\such\\folder", "TMP=C:\\no\\such\\folder"}, 0, "",
         true},
        {"Temp that is empty", nullptr, L"modest", {"TEMP=", "TMP="}, 0, "", true},
    };
}

}  // namespace

TEST(BadInput, EachEndsWithItsMessageOrFallbackAndWritesNothingElsewhere) {
    const std::vector<std::string> before = Snapshot();
    int cases = 0;
    for (const BadInput& c : Corpus()) {
        SCOPED_TRACE(c.name);
        SampleInstall install("bad-input");
        if (c.prepare) c.prepare(install);
        SetupRun run = RunSetup(c.parameters, {c.firstAnswer, IDNO, IDNO}, L"setup.exe", c.environment, 30000);
        if (c.restore) c.restore(install);
        ++cases;
        EXPECT_FALSE(run.process.timedOut);
        EXPECT_EQ(run.process.exitCode, c.exitCode);
        if (c.message.empty()) {
            EXPECT_TRUE(run.dialogs.empty()) << (run.dialogs.empty() ? "" : run.dialogs[0].text);
        } else {
            const bool shown = std::any_of(run.dialogs.begin(), run.dialogs.end(), [&](const SeenDialog& d) {
                return d.text.compare(0, c.message.size(), c.message) == 0;
            });
            EXPECT_TRUE(shown) << (run.dialogs.empty() ? "no box" : "first box: " + run.dialogs[0].text);
        }
        const bool written = PathExists(install.Path("tws.pak")) &&
                             ReadBytes(install.Path("tws.pak")) == ReadBytes(SamplePayloadPath());
        EXPECT_EQ(written, c.packageWritten);
        EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
    }
    EXPECT_GE(cases, 30);
    std::vector<std::string> after = Snapshot();
    after.erase(std::remove(after.begin(), after.end(), "C:\\tw-tests\\bad-input"), after.end());
    std::vector<std::string> expectedAfter = before;
    expectedAfter.erase(std::remove(expectedAfter.begin(), expectedAfter.end(), "C:\\tw-tests\\bad-input"),
                        expectedAfter.end());
    EXPECT_EQ(after, expectedAfter) << "files appeared outside the install folder";
}

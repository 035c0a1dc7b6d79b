// The version probes on real files under Wine; the language-file error box is answered
// by a dialog driver.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "localisation/common.h"
#include "localisation/message_box.h"
#include "base/win32.h"
#include "payload/versions.h"
#include "tests/harness/harness.h"

using namespace std::string_literals;

namespace {

const char kFolder[] = "C:\\tw-tests\\probes\\";

class Probes : public ::testing::Test {
protected:
    void SetUp() override {
        ::CreateDirectoryA("C:\\tw-tests", nullptr);
        RemoveTree(Folder());
        ASSERT_TRUE(::CreateDirectoryA(kFolder, nullptr));
    }
    void TearDown() override { RemoveTree(Folder()); }

    static std::string Folder() { return std::string(kFolder).substr(0, sizeof kFolder - 2); }
    static std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = kFolder + name;
        EXPECT_TRUE(WriteBytes(path, bytes)) << path;
        return path;
    }
};

struct FieldFile {
    const char* name;
    std::function<int32_t(const std::string&)> probe;
    std::string bytes;
    int32_t version;
};

TEST_F(Probes, FixedFieldsOfRealFiles) {
    const FieldFile files[] = {
        {"short.pak", PakVersion, "tws\0\1\0\x98"s, 0},
        {"408.pak", PakVersion, "tws\0\1\0\x98\x01"s, 408},
        {"long.pak", PakVersion, "tws\0\1\0\x98\x01"s + std::string(70000, '\xFF'), 408},
        {"empty.pak", PakVersion, "", 0},
        {"ffff.cok", CokVersion, "\0\0\0\0\0\xFF\xFF"s, 65535},
        {"short.cok", CokVersion, "\0\0\0\0\0\xFF"s, 0},
        {"c8.3bs", ThreeBsVersion, "\0\0\0\0\0\0\xC8"s, 200},
        {"short.3bs", ThreeBsVersion, "\0\0\0\0\0\0"s, 0},
    };
    for (const FieldFile& file : files) EXPECT_EQ(file.probe(Write(file.name, file.bytes)), file.version) << file.name;
}

TEST_F(Probes, FixedFieldsOfWhatIsNoFileGiveZero) {
    ASSERT_TRUE(::CreateDirectoryA((kFolder + "folder.pak"s).c_str(), nullptr));
    for (const auto& probe : {PakVersion, CokVersion, ThreeBsVersion}) {
        EXPECT_EQ(probe(kFolder + "missing.pak"s), 0);
        EXPECT_EQ(probe(kFolder + "folder.pak"s), 0);
        EXPECT_EQ(probe(""), 0);
        EXPECT_EQ(probe("NUL"), 0);
    }
}

TEST_F(Probes, FixedFieldFileHeldOpenGivesZeroAndIsLeftFree) {
    const std::string path = Write("held.pak", "tws\0\1\0\x98\x01"s);
    {
        // Even a holder that shares everything keeps out an exclusive open.
        win::UniqueFile holder(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.Valid());
        EXPECT_EQ(PakVersion(path), 0);
    }
    EXPECT_EQ(PakVersion(path), 408);
    // The probe closed its handle: the file can be opened without sharing again.
    win::UniqueFile after(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(after.Valid());
}

struct LanguageFile {
    const char* name;
    std::string text;
    int32_t version;
    bool errorShown;
};

// Runs the language probe with a driver that answers any box, and gives what it saw.
std::vector<SeenDialog> ProbeLanguageFile(const std::string& path, int32_t& version) {
    DialogDriver driver({IDOK}, ::GetCurrentProcessId());
    const LanguageVersion reading = LanguageFileVersion(path);
    version = reading.version;
    if (reading.problem) ShowError(*reading.problem);
    return driver.Seen();
}

TEST_F(Probes, LanguageFilesOnDisk) {
    const LanguageFile files[] = {
        {"mixed-case.lng", "[LangVer]\r\n12\r\n", 12, false},
        {"indented.lng", "  [langver]\r\n12\r\n", 0, false},
        {"hex.lng", "[langver]\r\n$0C\r\n", 12, false},
        {"cr-only.lng", "[langver]\r12\r", 12, false},
        {"no-section.lng", "[general]\r\nversion=3\r\n", 0, false},
        {"trailing-blank.lng", "[langver]\r\n12 \r\n", 0, true},
        {"last-line.lng", "text\r\n[langver]", 0, true},
    };
    for (const LanguageFile& file : files) {
        const std::string path = Write(file.name, file.text);
        int32_t version = -1;
        const std::vector<SeenDialog> seen = ProbeLanguageFile(path, version);
        EXPECT_EQ(version, file.version) << file.name;
        if (!file.errorShown) {
            EXPECT_TRUE(seen.empty()) << file.name;
            continue;
        }
        ASSERT_EQ(seen.size(), 1u) << file.name;
        EXPECT_EQ(seen[0].text, "Can't handle the language support file " + path);
        // The probe has closed the file.
        win::UniqueFile exclusive(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(exclusive.Valid()) << file.name;
    }
}

TEST_F(Probes, LanguageFileErrorInRussian) {
    const std::string path = Write("ru.lng", "[langver]\r\n12 \r\n");
    common::russianUi = true;
    int32_t version = -1;
    const std::vector<SeenDialog> seen = ProbeLanguageFile(path, version);
    common::russianUi = false;
    EXPECT_EQ(version, 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, u8"Не удаётся работать с файлом языковой поддержки " + path);
}

TEST_F(Probes, LanguageFileMissingOrAFolderGivesZeroSilently) {
    ASSERT_TRUE(::CreateDirectoryA((kFolder + "folder.lng"s).c_str(), nullptr));
    for (const std::string& path : {kFolder + "missing.lng"s, kFolder + "folder.lng"s, ""s}) {
        int32_t version = -1;
        EXPECT_TRUE(ProbeLanguageFile(path, version).empty()) << path;
        EXPECT_EQ(version, 0) << path;
    }
}

TEST_F(Probes, LanguageFileThatCannotBeOpenedShowsTheError) {
    const std::string path = Write("held.lng", "[langver]\r\n12\r\n");
    win::UniqueFile holder(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.Valid());
    int32_t version = -1;
    const std::vector<SeenDialog> seen = ProbeLanguageFile(path, version);
    EXPECT_EQ(version, 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Can't handle the language support file " + path);
}

TEST_F(Probes, ExecutableVersionText) {
    const std::string bin = BinFolderA() + "\\";
    // The first translation is Russian; its table is the second in the resource.
    EXPECT_EQ(ExecutableVersionText(bin + "versioned_sample.exe"), "4.3.2.1");
    // The translation names a table that the resource does not have.
    EXPECT_EQ(ExecutableVersionText(bin + "versioned_mismatch.exe"), "");
    // No version resource at all.
    EXPECT_EQ(ExecutableVersionText(bin + "Tarnwick.exe"), "");
    // Not executables.
    EXPECT_EQ(ExecutableVersionText(Write("text.exe", "4.3.2.1\r\n")), "");
    EXPECT_EQ(ExecutableVersionText(kFolder + "missing.exe"s), "");
    EXPECT_EQ(ExecutableVersionText(Folder()), "");
    EXPECT_EQ(ExecutableVersionText(""), "");
}

}  // namespace

#include <gtest/gtest.h>

#include "setup/package_info.h"
#include "setup/paths.h"

TEST(UninstallString, FolderOfThePlainOrQuotedUninstaller) {
    struct Case {
        const char* value;
        std::optional<std::string> folder;
    } cases[] = {
        {"C:\\Apps\\Tarnwick\\unins000.exe", "C:\\Apps\\Tarnwick\\"},
        {"\"C:\\Apps\\Tarnwick\\unins000.exe\"", "C:\\Apps\\Tarnwick\\"},
        {"\"C:\\Apps\\Tarnwick\\unins000.exe\" /SILENT", "C:\\Apps\\Tarnwick\\"},
        {"\"C:\\My Apps\\Tarnwick\\unins000.exe\" /LOG=\"C:\\x\\y.txt\"", "C:\\My Apps\\Tarnwick\\"},
        {"\"C:\\Apps\\Tarnwick\\unins000.exe", "C:\\Apps\\Tarnwick\\"},  // no closing quote
        {"d:\\unins000.exe", "d:\\"},
        // Unquoted values are used as stored, up to the last separator before the end.
        {"C:\\Apps\\Tarnwick\\unins000.exe /x=\\y", "C:\\Apps\\Tarnwick\\unins000.exe /x=\\"},
        {"C:\\Apps\\Tarnwick\\", "C:\\Apps\\"},  // a final backslash is not the separator
        // No usable backslash: no folder.
        {"unins000.exe", std::nullopt},
        {"\\", std::nullopt},
        {"x\\", std::nullopt},
        {"", std::nullopt},
        {"\"\"", std::nullopt},
        {"\"unins000.exe\" C:\\x\\y", std::nullopt},
        // Not a local absolute folder: relative, rooted without a drive, network, "..".
        {"Tarnwick\\unins000.exe", std::nullopt},
        {"\\Apps\\unins000.exe", std::nullopt},
        {"\\\\server\\share\\Tarnwick\\unins000.exe", std::nullopt},
        {"\\\\?\\C:\\Apps\\unins000.exe", std::nullopt},
        {"C:\\Apps\\..\\Windows\\unins000.exe", std::nullopt},
        {"C:\\Apps\\.\\unins000.exe", std::nullopt},
        {"C:\\Apps\\\\unins000.exe", std::nullopt},
        {"C:Apps\\unins000.exe", std::nullopt},
        {"1:\\Apps\\unins000.exe", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(FolderFromUninstallString(c.value), c.folder) << c.value;
}

TEST(InstanceGuard, OneNameForEachPackageInTheGlobalNamespace) {
    EXPECT_EQ(InstanceGuardLocalName("tws"), "TarnwickSetup.tws");
    EXPECT_EQ(InstanceGuardName("tws"), "Global\\TarnwickSetup.tws");
    EXPECT_NE(InstanceGuardName("tws"), InstanceGuardName("twq"));
}

TEST(UninstallString, The32BitViewPathHasWow6432NodeAfterTheFirstBackslash) {
    EXPECT_EQ(Wow6432Path("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"),
              "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
}

TEST(PackageInfo, DerivedValuesAndQuestions) {
    PackageInfo info;
    info.title = "\"Звуки начала экзамена\" версии ";
    info.baseName = "tws";
    info.kind = "pak";
    info.version = 408;
    DeriveValues(info);
    EXPECT_EQ(info.fileName, "tws.pak");
    EXPECT_EQ(info.description, "\"Звуки начала экзамена\" версии 408");
    const QuestionPair install = InstallQuestion(info);
    EXPECT_EQ(install.text.english.Bytes(),
              "Would you like to setup\r\nTarnwick update -\r\n\"Звуки начала экзамена\" версии 408?");
    EXPECT_EQ(install.text.russian.Bytes(),
              "Вы действительно хотите установить\r\nОбновление Tarnwick -\r\n\"Звуки начала экзамена\" версии 408?");
    EXPECT_EQ(install.caption.english.Bytes(), "Sound question");
    EXPECT_EQ(install.caption.russian.Bytes(), "Резонный вопрос");
    const QuestionPair start = StartQuestion(info);
    for (Language language : {Language::English, Language::Russian}) {
        EXPECT_EQ(start.text.In(language).Bytes(), "На Ваш компьютер установлено\r\nОбновление Tarnwick -\r\n"
                                                   "\"Звуки начала экзамена\" версии 408\r\n\r\nЗапустить программу?");
        EXPECT_EQ(start.caption.In(language).Bytes(), "Tarnwick update");
    }
    info.version = -5;
    DeriveValues(info);
    EXPECT_EQ(info.description, "\"Звуки начала экзамена\" версии -5");
}

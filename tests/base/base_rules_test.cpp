#include <gtest/gtest.h>

#include "base/ascii.h"
#include "base/command_line.h"
#include "base/log_text.h"
#include "base/number_text.h"
#include "base/path_text.h"
#include "base/text.h"

TEST(CommandLine, ParametersAreSplitAtBlanksAndQuotesGroupThem) {
    const std::string line = "\"C:\\Program Files\\setup.exe\"  MODEST \"Run App\"\tx";
    EXPECT_EQ(CommandLineParameter(line, 0), "C:\\Program Files\\setup.exe");
    EXPECT_EQ(CommandLineParameter(line, 1), "MODEST");
    EXPECT_EQ(CommandLineParameter(line, 2), "Run App");
    EXPECT_EQ(CommandLineParameter(line, 3), "x");
    EXPECT_EQ(CommandLineParameter(line, 4), "");
    EXPECT_EQ(CommandLineParameter("setup.exe", 1), "");
    EXPECT_EQ(CommandLineParameter("setup.exe mo\"de\"st", 1), "modest");
    EXPECT_EQ(CommandLineParameter("setup.exe \"unclosed quote", 1), "unclosed quote");
    EXPECT_EQ(CommandLineParameter("", 0), "");
}

TEST(CommandLine, LowerCasingTouchesOnlyAsciiCapitals) {
    EXPECT_EQ(LowerAscii("MODEST"), "modest");
    EXPECT_EQ(LowerAscii("RunApp"), "runapp");
    // Windows-1251 capitals stay as they are, and so do their small letters.
    EXPECT_EQ(LowerAscii("\xC0\xC1Z"), "\xC0\xC1z");
    EXPECT_EQ(UpperAscii("winnt\xE0"), "WINNT\xE0");
}

TEST(RunOptions, QuietModeAndTheStartAfterInstall) {
    struct Case {
        const char* commandLine;
        const char* firstParameter;
        bool quiet;
        bool startAfterInstall;
    } cases[] = {
        {"setup.exe", "", false, false},
        {"\"C:\\Down loads\\setup.exe\"", "", false, false},
        {"setup.exe modest", "modest", true, false},
        {"setup.exe MODEST", "modest", true, false},
        {"setup.exe MoDeSt RunApp", "modest", true, true},
        {"setup.exe modest runapp extra", "modest", true, true},
        {"setup.exe \"modest\" \"RUNAPP\"", "modest", true, true},
        {"setup.exe\tmodest\t runapp", "modest", true, true},
        // "runapp" counts only after "modest", and only as parameter 2.
        {"setup.exe runapp", "runapp", false, false},
        {"setup.exe x modest", "x", false, false},
        {"setup.exe runapp modest", "runapp", false, false},
        {"setup.exe modest x runapp", "modest", true, false},
        {"setup.exe modest runapps", "modest", true, false},
        {"setup.exe modestly", "modestly", false, false},
        {"setup.exe \"modest runapp\"", "modest runapp", false, false},
        // Only A..Z are lower-cased: a Cyrillic capital keeps its case.
        {"setup.exe \xCC" "ODEST", "\xCCodest", false, false},
    };
    for (const Case& c : cases) {
        const RunOptions options = ParseRunOptions(c.commandLine);
        EXPECT_EQ(options.firstParameter, c.firstParameter) << c.commandLine;
        EXPECT_EQ(options.quiet, c.quiet) << c.commandLine;
        EXPECT_EQ(options.startAfterInstall, c.startAfterInstall) << c.commandLine;
    }
}

TEST(RunOptions, OptionsStandAnywhereAndAreTakenOutFirst) {
    struct Case {
        const char* commandLine;
        const char* firstParameter;
        bool quiet;
        bool startAfterInstall;
        const char* logFile;
        bool suppress;
        bool help;
    } cases[] = {
        {"setup.exe /log=C:\\deploy\\tw.log modest runapp", "modest", true, true, "C:\\deploy\\tw.log", false, false},
        {"setup.exe modest /log=C:\\x.log runapp", "modest", true, true, "C:\\x.log", false, false},
        {"setup.exe modest runapp /LOG=C:\\Logs\\TW.log", "modest", true, true, "C:\\Logs\\TW.log", false, false},
        // Quoted as a whole or after the "=": the same name, blanks kept.
        {"setup.exe \"/log=C:\\a b\\tw.log\" modest", "modest", true, false, "C:\\a b\\tw.log", false, false},
        {"setup.exe /log=\"C:\\a b\\tw.log\" modest", "modest", true, false, "C:\\a b\\tw.log", false, false},
        // Repeated: the last log named counts; "/log=" alone keeps none.
        {"setup.exe /log=a.log /log=b.log", "", false, false, "b.log", false, false},
        {"setup.exe /log=a.log /log=", "", false, false, "", false, false},
        {"setup.exe /log= modest", "modest", true, false, "", false, false},
        {"setup.exe /SuppressMsgBoxes modest", "modest", true, false, "", true, false},
        {"setup.exe modest /suppressmsgboxes /suppressmsgboxes", "modest", true, false, "", true, false},
        {"setup.exe /?", "", false, false, "", false, true},
        {"setup.exe modest /HELP", "modest", true, false, "", false, true},
        // "/" words that name no option stay parameters, as before.
        {"setup.exe /log modest", "/log", false, false, "", false, false},
        {"setup.exe /logfile=x modest", "/logfile=x", false, false, "", false, false},
        {"setup.exe /quiet modest", "/quiet", false, false, "", false, false},
        {"setup.exe /suppressmsgboxes=1 modest", "/suppressmsgboxes=1", false, false, "", false, false},
        {"setup.exe / modest", "/", false, false, "", false, false},
        {"setup.exe \"\" modest", "", false, false, "", false, false},
        // The program part is never an option.
        {"/help modest", "modest", true, false, "", false, false},
        // A file name in any script: the command line is UTF-8 here.
        {"setup.exe \"/log=C:\\\xD0\x96\\tw.log\" modest", "modest", true, false, "C:\\\xD0\x96\\tw.log", false, false},
    };
    for (const Case& c : cases) {
        const RunOptions options = ParseRunOptions(c.commandLine);
        EXPECT_EQ(options.firstParameter, c.firstParameter) << c.commandLine;
        EXPECT_EQ(options.quiet, c.quiet) << c.commandLine;
        EXPECT_EQ(options.startAfterInstall, c.startAfterInstall) << c.commandLine;
        EXPECT_EQ(options.logFile, c.logFile) << c.commandLine;
        EXPECT_EQ(options.suppressMessageBoxes, c.suppress) << c.commandLine;
        EXPECT_EQ(options.help, c.help) << c.commandLine;
    }
}

TEST(RunOptions, BoxesAreSuppressedInQuietModeOnly) {
    EXPECT_TRUE(ParseRunOptions("setup.exe modest /suppressmsgboxes").BoxesSuppressed());
    EXPECT_FALSE(ParseRunOptions("setup.exe /suppressmsgboxes").BoxesSuppressed());
    EXPECT_FALSE(ParseRunOptions("setup.exe x modest /suppressmsgboxes").BoxesSuppressed());
}

TEST(LogText, TimeToTheMillisecondAndOneLinePerEvent) {
    EXPECT_EQ(LogTimeText({2026, 12, 9, 13, 5, 1, 7}), "2026-12-09 13:05:01.007");
    EXPECT_EQ(LogTimeText({999, 1, 31, 23, 59, 59, 999}), "0999-01-31 23:59:59.999");
    EXPECT_EQ(OneLine("a\r\nb\nc\rd"), "a / b / c / d");
    EXPECT_EQ(OneLine("a\r\n\r\nb"), "a /  / b");
    EXPECT_EQ(OneLine("plain"), "plain");
    EXPECT_EQ(ErrorText(32, "The process cannot access the file.\r\n"), "error 32: The process cannot access the file.");
    EXPECT_EQ(ErrorText(0, ""), "error 0");
    EXPECT_EQ(ErrorText(5, "Two\r\nlines\r\n"), "error 5: Two / lines");
}

TEST(TrailingBackslash, AddedOnlyToANonEmptyTextWithoutOne) {
    EXPECT_EQ(WithTrailingBackslash("C:\\X"), "C:\\X\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\X\\"), "C:\\X\\");
    EXPECT_EQ(WithTrailingBackslash(""), "");
}

TEST(ExtendedLengthPath, OnlyLongAbsolutePathsAndOnlyOnce) {
    const std::string deep = "C:\\" + std::string(300, 'd') + "\\tws.pak";
    const std::string share = "\\\\server\\share\\" + std::string(300, 'd');
    struct Case {
        std::string path;
        size_t length;
        std::string form;
    } cases[] = {
        {"C:\\Apps\\tws.pak", 15, "C:\\Apps\\tws.pak"},
        {deep, deep.size(), "\\\\?\\" + deep},
        {"d:" + deep.substr(2), deep.size(), "\\\\?\\d:" + deep.substr(2)},
        {share, share.size(), "\\\\?\\UNC\\server\\share\\" + std::string(300, 'd')},
        {"\\\\?\\" + deep, deep.size() + 4, "\\\\?\\" + deep},
        {"\\\\?\\UNC\\" + share.substr(2), share.size() + 6, "\\\\?\\UNC\\" + share.substr(2)},
        // Relative paths and rooted ones without a drive have no such form.
        {std::string(300, 'r'), 300, std::string(300, 'r')},
        {"\\" + std::string(300, 'r'), 301, "\\" + std::string(300, 'r')},
        // The limit counts UTF-16 units, not bytes: from 248 on.
        {"C:\\" + std::string(244, 'x'), 247, "C:\\" + std::string(244, 'x')},
        {"C:\\" + std::string(245, 'x'), 248, "\\\\?\\C:\\" + std::string(245, 'x')},
    };
    for (const Case& c : cases) EXPECT_EQ(ExtendedLengthPath(c.path, c.length), c.form) << c.path.substr(0, 40);
}

TEST(FileLocation, AFileIsTheEntryOfItsFolderOnlyUnderItsOwnName) {
    struct Case {
        const char* file;
        const char* folder;
        const char* name;
        bool entry;
    } cases[] = {
        {"\\Apps\\Tarnwick\\~tws.pak", "\\Apps\\Tarnwick", "~tws.pak", true},
        {"\\Apps\\Tarnwick\\~tws.pak", "\\Apps\\Tarnwick\\", "~tws.pak", true},
        {"\\~tws.pak", "\\", "~tws.pak", true},  // the root of a volume
        {"\\Apps\\Tarnwick\\TWS.PAK", "\\Apps\\Tarnwick", "tws.pak", true},
        // A link followed elsewhere: another folder, another name, deeper, a sibling.
        {"\\Windows\\System32\\x.dll", "\\Apps\\Tarnwick", "~tws.pak", false},
        {"\\Apps\\Tarnwick\\tws.pak", "\\Apps\\Tarnwick", "~tws.pak", false},
        {"\\Apps\\Tarnwick\\sub\\~tws.pak", "\\Apps\\Tarnwick", "~tws.pak", false},
        {"\\Apps\\Tarnwick2\\~tws.pak", "\\Apps\\Tarnwick", "~tws.pak", false},
        {"\\Apps\\Tarnwick~tws.pak", "\\Apps\\Tarnwick", "~tws.pak", false},
        // The folder part is the file system's own spelling; only the name's ASCII case
        // is free, and a Cyrillic name must match as it stands.
        {"\\apps\\tarnwick\\~tws.pak", "\\Apps\\Tarnwick", "~tws.pak", false},
        {"\\A\\\xD0\x96.log", "\\A", "\xD0\x96.log", true},
        {"\\A\\\xD0\xB6.log", "\\A", "\xD0\x96.log", false},
        {"\\A\\b", "\\A", "", false},
        {"\\A\\b\\c", "\\A", "b\\c", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsEntryOf(c.file, c.folder, c.name), c.entry) << c.file << " / " << c.name;
}

TEST(FileLocation, APathSplitsIntoItsFolderAndItsName) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        {"C:\\Logs\\tw.log", "C:\\Logs", "tw.log"},
        {"C:\\tw.log", "C:\\", "tw.log"},
        {"\\\\?\\C:\\" "a\\tw.log", "\\\\?\\C:\\a", "tw.log"},
        {"\\\\server\\share\\tw.log", "\\\\server\\share", "tw.log"},
        {"C:\\Logs\\", "", ""},
        {"tw.log", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const FolderAndName parts = SplitFolderAndName(c.path);
        EXPECT_EQ(parts.folder, c.folder) << c.path;
        EXPECT_EQ(parts.name, c.name) << c.path;
    }
}

TEST(MessageText, PiecesKeepTheirCodePageAndJoinByteForByte) {
    Text t = Text::Fixed("Не удается установить файл ") + Text::FromSystem("C:\\A\\tws.pak") + "!";
    ASSERT_EQ(t.Pieces().size(), 3u);
    EXPECT_EQ(t.Pieces()[0].charset, Charset::Cp1251);
    EXPECT_EQ(t.Pieces()[1].charset, Charset::Ansi);
    EXPECT_EQ(t.Bytes(), std::string("Не удается установить файл C:\\A\\tws.pak!"));
    EXPECT_TRUE((Text::Fixed("") + Text::FromSystem("")).Empty());
}

TEST(MessageText, APairGivesTheTextOfEachLanguage) {
    const MessagePair pair{Text::Fixed("No access"), Text::Fixed("Нет доступа")};
    EXPECT_EQ(pair.In(Language::English).Bytes(), "No access");
    EXPECT_EQ(pair.In(Language::Russian).Bytes(), "Нет доступа");
}

TEST(NumberText, DecimalAndHexadecimalDigits) {
    EXPECT_EQ(DecimalText(0), "0");
    EXPECT_EQ(DecimalText(408), "408");
    EXPECT_EQ(DecimalText(4294967295u), "4294967295");
    EXPECT_EQ(HexText(0, 1, true), "0");
    EXPECT_EQ(HexText(0xC, 1, true), "C");
    EXPECT_EQ(HexText(0x419, 4, false), "0419");
    EXPECT_EQ(HexText(0x4E4, 4, false), "04e4");
    EXPECT_EQ(HexText(0xFFFFFFFFu, 4, true), "FFFFFFFF");
}

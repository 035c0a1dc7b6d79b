#include <gtest/gtest.h>

#include "localisation/locale_rules.h"
#include "localisation/number_text.h"
#include "localisation/text.h"

TEST(RussianUiLocale, ExactlyTheSevenCyrillicLocalesOfTheSet) {
    for (uint32_t lcid : {1026u, 1049u, 1058u, 1059u, 1087u, 1092u, 2073u}) EXPECT_TRUE(IsRussianUiLocale(lcid)) << lcid;
    // Other Cyrillic-script locales, English, and the set's values with sort bits.
    for (uint32_t lcid : {1088u, 1064u, 3098u, 1033u, 0u, 0x10419u, 0x0019u, 0x0819u + 0x10000u})
        EXPECT_FALSE(IsRussianUiLocale(lcid)) << lcid;
}

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
    // Windows-1251 capitals stay as they are.
    EXPECT_EQ(LowerAscii("\xC0\xC1Z"), "\xC0\xC1z");
}

TEST(MessageText, PiecesKeepTheirCodePageAndJoinByteForByte) {
    Text t = Text::Fixed("Не удается установить файл ") + Text::FromSystem("C:\\A\\tws.pak") + "!";
    ASSERT_EQ(t.Pieces().size(), 3u);
    EXPECT_EQ(t.Pieces()[0].charset, Charset::Cp1251);
    EXPECT_EQ(t.Pieces()[1].charset, Charset::Ansi);
    EXPECT_EQ(t.Bytes(), std::string("Не удается установить файл C:\\A\\tws.pak!"));
    EXPECT_TRUE((Text::Fixed("") + Text::FromSystem("")).Empty());
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

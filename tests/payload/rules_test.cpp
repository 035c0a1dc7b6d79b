#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "payload/checksum.h"
#include "payload/extract_rules.h"
#include "payload/progress_rules.h"
#include "payload/size_rules.h"

TEST(TemporaryName, TildeGoesInFrontOfTheFileNamePart) {
    EXPECT_EQ(TemporaryName("C:\\Apps\\Tarnwick\\tws.pak"), "C:\\Apps\\Tarnwick\\~tws.pak");
    EXPECT_EQ(TemporaryName("tws.pak"), "~tws.pak");
    EXPECT_EQ(TemporaryName("C:\\A\\"), "C:\\~A\\");  // the final backslash is not the separator
    EXPECT_EQ(TemporaryName("\\x"), "\\~x");
    EXPECT_EQ(TemporaryName("\\"), "~\\");
    EXPECT_EQ(TemporaryName("x"), "~x");
    EXPECT_EQ(TemporaryName(""), "~");
}

TEST(VersionedKind, KindsAreComparedExactlyAndLanguageFilesWithBangAreNot) {
    EXPECT_EQ(VersionedKindOf("pak", "C:\\A\\tws.pak"), VersionedKind::Pak);
    EXPECT_EQ(VersionedKindOf("3bs", "C:\\A\\x.3bs"), VersionedKind::ThreeBs);
    EXPECT_EQ(VersionedKindOf("lng", "C:\\A\\x.lng"), VersionedKind::Language);
    EXPECT_EQ(VersionedKindOf("lng", "C:\\A!\\x.lng"), VersionedKind::None);
    EXPECT_EQ(VersionedKindOf("cok", "C:\\A!\\x.cok"), VersionedKind::Cok);
    EXPECT_EQ(VersionedKindOf("PAK", "C:\\A\\tws.PAK"), VersionedKind::None);
    EXPECT_EQ(VersionedKindOf("exe", "C:\\A\\x.exe"), VersionedKind::None);
}

TEST(OlderVersionQuestion, InstalledVersionFirstThenTheOlderNewOne) {
    const QuestionPair question = OlderVersionQuestion("C:\\A\\tws.pak", "409", "408");
    EXPECT_EQ(question.text.english.Bytes(),
              "C:\\A\\tws.pak file installing is of older version\r\n"
              "than the same already installed.\r\n"
              "\r\n"
              "Do you really want to replace existing\r\n"
              "new file version 409 with an older file version 408?");
    const Text& russian = question.text.russian;
    EXPECT_EQ(russian.Bytes(),
              "Устанавливаемый файл C:\\A\\tws.pak\r\nболее старой версии, чем уже установленный.\r\n\r\n"
              "Действительно ли Вы хотите заменить уже имеющийся\r\nфайл версии 409 на более старый версии 408?");
    // The path is UTF-8, whatever the ANSI code page; everything else is the program's.
    ASSERT_EQ(russian.Pieces().size(), 3u);
    EXPECT_EQ(russian.Pieces()[1], (TextPiece{Charset::Utf8, "C:\\A\\tws.pak"}));
    EXPECT_EQ(question.caption.english.Bytes(), "Sound question");
    EXPECT_EQ(question.caption.russian.Bytes(), "Резонный вопрос");
}

// The folding path (64 bytes and more, where the processor can fold), the tables and
// their joins against the one-bit-at-a-time definition, at every alignment.
TEST(Checksum, Crc32AgreesWithTheBitwiseDefinitionAtEveryLengthAndAlignment) {
    auto bitwise = [](const unsigned char* p, size_t n) {
        uint32_t c = 0xFFFFFFFFu;
        for (size_t i = 0; i < n; ++i) {
            c ^= p[i];
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        return ~c;
    };
    std::vector<unsigned char> bytes(4200);
    uint32_t seed = 408;
    for (unsigned char& b : bytes) b = static_cast<unsigned char>((seed = seed * 1664525u + 1013904223u) >> 24);
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t n = 0; n + offset <= bytes.size(); n += n < 300 ? 1 : 61) {
            const unsigned char* p = bytes.data() + offset;
            ASSERT_EQ(Crc32(p, n), bitwise(p, n)) << "offset " << offset << ", " << n << " bytes";
            const size_t split = n / 3;
            ASSERT_EQ(Crc32(p + split, n - split, Crc32(p, split)), bitwise(p, n)) << n << " bytes split";
        }
    }
}

TEST(Checksum, Crc32MatchesTheZipCheckValueAndEveryByteCounts) {
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32("", 0), 0u);
    std::string data(1000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
    const uint32_t whole = Crc32(data.data(), data.size());
    EXPECT_EQ(Crc32(data.data() + 3, data.size() - 3, Crc32(data.data(), 3)), whole);
    for (size_t i = 0; i < data.size(); ++i) {
        std::string changed = data;
        changed[i] = static_cast<char>(changed[i] ^ 0x01);
        ASSERT_NE(Crc32(changed.data(), changed.size()), whole) << i;
    }
}

namespace {
std::string Table(uint32_t count, const std::vector<std::tuple<std::string, std::string, uint32_t, uint32_t>>& rows) {
    std::string t = "TWSUMS01";
    t.append(reinterpret_cast<const char*>(&count), 4);
    for (const auto& [name, type, size, crc] : rows) {
        std::string n = name, k = type;
        n.resize(32, '\0');
        k.resize(16, '\0');
        t += n + k;
        t.append(reinterpret_cast<const char*>(&size), 4);
        t.append(reinterpret_cast<const char*>(&crc), 4);
    }
    return t;
}
}  // namespace

TEST(Checksum, TableIsReadOnlyWhenWhole) {
    const std::string good = Table(2, {{"TWQ1", "PAK", 10, 0xAABBCCDD}, {"TWQ2", "PAK", 11, 1}});
    auto parsed = ParseChecksumTable(good.data(), good.size());
    ASSERT_TRUE(parsed.has_value());
    ASSERT_EQ(parsed->size(), 2u);
    EXPECT_EQ((*parsed)[0].name, "TWQ1");
    EXPECT_EQ((*parsed)[0].type, "PAK");
    EXPECT_EQ((*parsed)[0].size, 10u);
    EXPECT_EQ((*parsed)[0].crc, 0xAABBCCDDu);
    EXPECT_EQ((*parsed)[1].size, 11u);

    EXPECT_FALSE(ParseChecksumTable(nullptr, 0));
    EXPECT_FALSE(ParseChecksumTable(good.data(), good.size() - 1));  // cut short
    const std::string longer = good + "x";
    EXPECT_FALSE(ParseChecksumTable(longer.data(), longer.size()));
    const std::string empty = Table(0, {});
    EXPECT_FALSE(ParseChecksumTable(empty.data(), empty.size()));
    const std::string overcount = Table(0x40000000, {{"TWS", "PAK", 1, 1}});
    EXPECT_FALSE(ParseChecksumTable(overcount.data(), overcount.size()));
    const std::string noName = Table(1, {{"", "PAK", 1, 1}});
    EXPECT_FALSE(ParseChecksumTable(noName.data(), noName.size()));
    std::string badMagic = good;
    badMagic[0] = 'X';
    EXPECT_FALSE(ParseChecksumTable(badMagic.data(), badMagic.size()));
}

TEST(EstimatedSize, KilobytesAreCappedAtTheLargestDword) {
    EXPECT_EQ(EstimatedSizeValue(0), 0u);
    EXPECT_EQ(EstimatedSizeValue(23211), 23211u);
    EXPECT_EQ(EstimatedSizeValue(INT64_C(0xFFFFFFFF)), 0xFFFFFFFFu);
    EXPECT_EQ(EstimatedSizeValue(INT64_C(0x100000000)), 0xFFFFFFFFu);
    EXPECT_FALSE(IsChildFolderName("."));
    EXPECT_FALSE(IsChildFolderName(".."));
    EXPECT_TRUE(IsChildFolderName("...x"));
}

TEST(DetectionValue, TheVersionInPlaceTheBuildsForAKindWithoutOneAndZeroWithoutAFile) {
    const struct {
        bool present;
        std::optional<int32_t> version;
        uint32_t value;
    } cases[] = {
        {true, 408, 408},          {true, 409, 409},  // a newer installed file kept
        {true, 0, 0},              {true, -2, 0},     // a field that reads nothing, or below 0
        {true, std::nullopt, 408},                    // a kind without a version field
        {false, std::nullopt, 0},  {false, 409, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(DetectionValue(c.present, c.version, 408), c.value) << c.present;
}

// Sharing and lock violations are waited out wherever the package is written or read,
// access denied only on the rename (where Wine reports a held target so).
TEST(BriefHold, WhichErrorsAreWaitedOutAndForAboutTenSecondsInAll) {
    for (FileStep step : {FileStep::Create, FileStep::Write, FileStep::Read, FileStep::Rename})
        for (uint32_t error : {0u, 2u, 5u, 32u, 33u, 112u})
            EXPECT_EQ(IsBriefHold(error, step), error == 32 || error == 33 || (error == 5 && step == FileStep::Rename));
    uint32_t total = 0;
    for (int retry = 1; RetryPauseMs(retry) != 0; ++retry) total += RetryPauseMs(retry);
    EXPECT_EQ(total, 10000u);
    EXPECT_EQ(RetryPauseMs(0), 0u);
}

TEST(ProgressLayout, TheDesignFiguresAt96DpiAndEachOneScaledAtOthers) {
    struct Row {
        int dpi;
        int width, height;
        Box label, bar;
    };
    const Row rows[] = {
        {96, 408, 76, {2, 2, 399, 20}, {2, 24, 400, 20}},
        {0, 408, 76, {2, 2, 399, 20}, {2, 24, 400, 20}},  // no DPI known
        {120, 510, 95, {3, 3, 499, 25}, {3, 30, 500, 25}},   // 2.5 and 498.75 round up
        {144, 612, 114, {3, 3, 599, 30}, {3, 36, 600, 30}},  // 598.5 rounds away from zero
        {192, 816, 152, {4, 4, 798, 40}, {4, 48, 800, 40}},
        {72, 306, 57, {2, 2, 299, 15}, {2, 18, 300, 15}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dpi);
        const ProgressLayout layout = ProgressLayoutAt(row.dpi);
        EXPECT_EQ(layout.width, row.width);
        EXPECT_EQ(layout.height, row.height);
        for (const auto& [got, want] : {std::pair(layout.label, row.label), std::pair(layout.bar, row.bar)}) {
            EXPECT_EQ(got.left, want.left);
            EXPECT_EQ(got.top, want.top);
            EXPECT_EQ(got.width, want.width);
            EXPECT_EQ(got.height, want.height);
        }
    }
    EXPECT_EQ(ScaledForDpi(-3, 144), -5);  // halves away from zero on both sides
    EXPECT_EQ(ScaledForDpi(1, 48), 1);
}

TEST(ProgressLayout, CentringOffsetsRoundDown) {
    const int rows[][2] = {{616, 308}, {692, 346}, {412, 206}, {654, 327}, {1, 0}, {0, 0}, {-1, -1}, {-2, -1}, {-3, -2}};
    for (const auto& row : rows) EXPECT_EQ(HalfRoundedDown(row[0]), row[1]) << row[0];
}

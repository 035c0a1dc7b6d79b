#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "payload/version_rules.h"

using namespace std::string_literals;

namespace {

struct IntegerTextRow {
    std::string text;
    std::optional<int32_t> value;
};

const IntegerTextRow kIntegerTexts[] = {
    {"12", 12},
    {" 12", 12},
    {"-12", -12},
    {"0", 0},
    {"-0", 0},
    {"007", 7},
    {"$0C", 12},
    {"$0c", 12},
    {"x0C", 12},
    {"0x0C", 12},
    {"-$0C", -12},
    {"2147483647", std::numeric_limits<int32_t>::max()},
    {"-2147483648", std::numeric_limits<int32_t>::min()},
    {"00000000000000000002147483647", std::numeric_limits<int32_t>::max()},
    {"$7FFFFFFF", std::numeric_limits<int32_t>::max()},
    {"$FFFFFFFF", -1},  // all 32 bits, taken as signed
    {"$80000000", std::numeric_limits<int32_t>::min()},
    {"-$1", -1},
    {"$000000000000FF", 255},
    // Not numbers.
    {"", std::nullopt},
    {"   ", std::nullopt},
    {"12 ", std::nullopt},  // a trailing blank
    {"\t12", std::nullopt},  // only spaces are skipped
    {"1 2", std::nullopt},
    {"- 12", std::nullopt},
    {"+", std::nullopt},
    {"+-1", std::nullopt},
    {"$", std::nullopt},
    {"0x", std::nullopt},
    {"$G", std::nullopt},
    {"0x0x1", std::nullopt},
    {"00x1", std::nullopt},
    {"1.5", std::nullopt},
    {"2147483648", std::nullopt},
    {"99999999999999999999999", std::nullopt},
    {"$100000000", std::nullopt},
    {"12\r", std::nullopt},
    {"12\0"s, std::nullopt},  // a NUL after the digits is something after the digits
    {"\0"s "12", std::nullopt},
};

TEST(IntegerText, TableOfTexts) {
    for (const IntegerTextRow& row : kIntegerTexts) EXPECT_EQ(ParseIntegerText(row.text), row.value) << '"' << row.text << '"';
}

struct DottedRow {
    const char* offered;    // the new text
    const char* installed;  // the installed text
    bool older;
};

const DottedRow kDotted[] = {
    // Four places each: the first difference from the left decides.
    {"1.2.3.4", "1.2.3.5", true},
    {"1.2.4.0", "1.2.3.9", false},
    {"2.0.0.1", "2.0.0.1", false},
    {"1.2.3.4", "2.0.0.0", true},
    {"10.0.0.0", "9.9.9.9", false},
    {"1.10.0.0", "1.9.0.0", false},  // numbers, not texts
    // A place that is not a number: in the new text older, in the installed not.
    {"1.2.3.x", "1.2.3.4", true},
    {"1.2.3.4", "1.2.3.x", false},
    {"x.0.0.0", "x.0.0.0", false},  // the installed text is examined first
    {"2.x.0.0", "1.0.0.0", false},  // an earlier difference decides before the bad place
    // A fifth place makes the rest no number.
    {"1.2.3.4.5", "1.2.3.4", true},
    {"1.2.3.4", "1.2.3.4.5", false},
    // Fewer places: the missing ones are 0.
    {"1.3", "1.2.3.4", false},
    {"1.2", "1.2.3.4", true},
    {"1.2", "1.2.0.0", false},
    {"1.2.0.0", "1.2", false},
    {"1.2", "1.2.0.1", true},
    {"2", "1.9.9.9", false},
    {"1", "1.0.0.1", true},
    {"1.2.3", "1.2.3.1", true},
    // Empty places and empty texts are no numbers.
    {"", "1.2.3.4", true},
    {"1.2.3.4", "", false},
    {"1..3.4", "1.2.3.4", true},
    {"1.2.3.4", "1..3.4", false},
    {".1", "1", true},
    {"1.2.", "1.2.0.0", true},
    {"1.2.0.0", "1.2.", false},
    // Places follow the integer text rule.
    {"1.$A.0.0", "1.11.0.0", true},
    {"1. 2.0.0", "1.2.0.0", false},
    {"1.2 .0.0", "1.2.0.0", true},
    {"-1.0.0.0", "0.0.0.0", true},
};

TEST(DottedVersion, TableOfComparisons) {
    for (const DottedRow& row : kDotted)
        EXPECT_EQ(IsOlderVersion(row.offered, row.installed), row.older) << row.offered << " vs installed " << row.installed;
}

struct FieldRow {
    const char* name;
    VersionField field;
    std::string file;  // the whole file
    int32_t value;
};

const FieldRow kFields[] = {
    {"pak of 7 bytes", kPakVersionField, "tws\0\1\0\x98"s, 0},
    {"pak 408", kPakVersionField, "tws\0\1\0\x98\x01"s, 408},
    {"pak with more after the field", kPakVersionField, "tws\0\1\0\x98\x01\xFF\xFF"s, 408},
    {"pak 65535", kPakVersionField, "tws\0\1\0\xFF\xFF"s, 65535},
    {"empty pak", kPakVersionField, "", 0},
    {"cok FFFF read unsigned", kCokVersionField, "\0\0\0\0\0\xFF\xFF"s, 65535},
    {"cok of 6 bytes", kCokVersionField, "\0\0\0\0\0\xFF"s, 0},
    {"cok byte order", kCokVersionField, "\0\0\0\0\0\x01\x02"s, 0x0201},
    {"3bs C8", kThreeBsVersionField, "\0\0\0\0\0\0\xC8"s, 200},
    {"3bs FF", kThreeBsVersionField, "\0\0\0\0\0\0\xFF\xFF"s, 255},
    {"3bs of 6 bytes", kThreeBsVersionField, "\0\0\0\0\0\0"s, 0},
};

TEST(VersionField, FieldsOfTheDataKinds) {
    for (const FieldRow& row : kFields) {
        // What a read at the field's offset would deliver, at most the field's width.
        const size_t from = std::min<size_t>(row.field.offset, row.file.size());
        const std::string read = row.file.substr(from, row.field.width);
        EXPECT_EQ(DecodeVersionField(reinterpret_cast<const unsigned char*>(read.data()), read.size(), row.field),
                  row.value)
            << row.name;
    }
}

struct SectionRow {
    std::string line;
    bool section;
};

const SectionRow kSectionLines[] = {
    {"[langver]", true},
    {"[LangVer]", true},
    {"[langver] old", true},
    {"[langver]  \t", true},
    {"[langver]\0x"s, true},
    {"  [langver]", false},
    {"\t[langver]", false},
    {"[[langver]", false},
    {"[ langver]", false},
    {"[langver", false},
    {"[langverx]", false},
    {"[lang\0ver]"s, false},
    {"langver]", false},
    {"", false},
    {"\xEF\xBB\xBF[langver]", false},  // a UTF-8 mark in front is text in front
};

TEST(LanguageSection, TableOfLines) {
    for (const SectionRow& row : kSectionLines) EXPECT_EQ(IsLanguageSectionLine(row.line), row.section) << row.line;
}

// Gives the text in chunks of a chosen size and can fail once a chosen number of bytes
// has been given; counts what it gave.
class TextSource : public ByteSource {
public:
    TextSource(std::string text, size_t chunk, size_t failAt = std::string::npos)
        : text_(std::move(text)), chunk_(chunk), failAt_(failAt) {}
    bool Read(char* buffer, size_t capacity, size_t& got) override {
        if (given_ >= failAt_) return false;
        got = std::min({capacity, chunk_, text_.size() - given_, failAt_ - given_});
        std::memcpy(buffer, text_.data() + given_, got);
        given_ += got;
        return true;
    }
    size_t Given() const { return given_; }

private:
    std::string text_;
    size_t chunk_;
    size_t failAt_;
    size_t given_ = 0;
};

std::vector<std::string> AllLines(const std::string& text, size_t chunk, size_t keep) {
    TextSource source(text, chunk);
    TextLineReader reader(source, keep);
    std::vector<std::string> lines;
    std::string line;
    bool cut = false;
    while (reader.ReadLine(line, cut) == TextLineReader::Result::Line) lines.push_back(line);
    return lines;
}

const size_t kChunks[] = {1, 2, 3, 4096, 100000};

struct LinesRow {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

TEST(TextLines, EndingsAsAPascalTextReaderSeesThem) {
    const LinesRow rows[] = {
        {"empty", "", {}},
        {"no ending at the end", "a", {"a"}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"CR alone", "a\rb\r", {"a", "b"}},
        {"mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"LF CR is two endings", "a\n\rb", {"a", "", "b"}},
        {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"empty lines", "\n\n", {"", ""}},
        {"only a CR", "\r", {""}},
        {"NUL inside", "a\0b\nc"s, {"a\0b"s, "c"}},
    };
    for (const LinesRow& row : rows)
        for (size_t chunk : kChunks) EXPECT_EQ(AllLines(row.text, chunk, 100), row.lines) << row.name << ", chunk " << chunk;
}

struct LanguageRow {
    const char* name;
    std::string text;
    std::optional<int32_t> version;  // nullopt: the error pair
};

const LanguageRow kLanguageFiles[] = {
    {"section then 12", "[LangVer]\r\n12\r\n", 12},
    {"later in the file", "; comment\r\n[general]\r\nname=x\r\n[langver]\r\n12\r\n[other]\r\n", 12},
    {"anything after the bracket", "[langver] old\r\n12\r\n", 12},
    {"value with a leading blank", "[langver]\r\n 12\r\n", 12},
    {"hexadecimal value", "[langver]\r\n$0C\r\n", 12},
    {"no ending after the value", "[langver]\r\n12", 12},
    {"CR endings", "[x]\r[langver]\r12\r", 12},
    {"the first section counts", "[langver]\n5\n[langver]\n6\n", 5},
    {"NUL in an earlier line", "a\0b\n[langver]\n12\n"s, 12},
    {"long line before", std::string(100000, 'z') + "\n[langver]\n12\n", 12},
    {"section line with a long tail", "[langver]" + std::string(100000, ' ') + "\n12\n", 12},
    {"value line at the keep limit", "[langver]\n" + std::string(kLanguageLineKeep - 2, ' ') + "12\n", 12},
    {"value line past the keep limit", "[langver]\n" + std::string(kLanguageLineKeep - 1, ' ') + "12\n", std::nullopt},
    {"indented section line is no section", "  [langver]\n12\n", 0},
    {"tab-indented section line is no section", "\t[langver]\n12\n", 0},
    {"no section at all", "[general]\nversion=12\n", 0},
    {"empty file", "", 0},
    {"trailing blank", "[langver]\r\n12 \r\n", std::nullopt},
    {"section is the last line", "[langver]", std::nullopt},
    {"section is the last line, with ending", "[langver]\r\n", std::nullopt},
    {"empty value line", "[langver]\r\n\r\n12\r\n", std::nullopt},
    {"word as value", "[langver]\r\ntwelve\r\n", std::nullopt},
    {"NUL after the value", "[langver]\r\n12\0\r\n"s, std::nullopt},
};

TEST(LanguageVersion, TableOfFiles) {
    for (const LanguageRow& row : kLanguageFiles)
        for (size_t chunk : kChunks) {
            TextSource source(row.text, chunk);
            EXPECT_EQ(ReadLanguageVersion(source), row.version) << row.name << ", chunk " << chunk;
        }
}

TEST(LanguageVersion, ReadingStopsAfterTheValueLine) {
    for (const std::string& ending : {"\r\n"s, "\n"s, "\r"s}) {
        const std::string head = "[langver]" + ending + "12" + ending;
        // A read error anywhere past the value line is never reached.
        TextSource failing(head + std::string(50000, 'x'), 1, head.size());
        EXPECT_EQ(ReadLanguageVersion(failing), 12);
        EXPECT_LE(failing.Given(), head.size());

        TextSource large(head + std::string(1 << 20, 'x'), 1 << 20);
        EXPECT_EQ(ReadLanguageVersion(large), 12);
        EXPECT_LE(large.Given(), 4096u);
    }
}

TEST(LanguageVersion, ReadErrorBeforeTheValueIsAnError) {
    const std::string text = "[general]\r\n[langver]\r\n12\r\n";
    for (size_t failAt : {size_t{0}, size_t{5}, size_t{15}, size_t{23}}) {
        TextSource source(text, 4, failAt);
        EXPECT_EQ(ReadLanguageVersion(source), std::nullopt) << failAt;
    }
}

}  // namespace

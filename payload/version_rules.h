// Rules of the version probes that need no Windows: the integer text rule, the dotted
// comparison, the fixed version fields of the data kinds and the reading of a
// language file's [langver] value from its text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The integer text rule: optional leading blanks (spaces only), a sign, decimal digits
// or hexadecimal ones after "$", "x", "X", "0x" or "0X", nothing after the digits.
// Decimal values must fit 32 signed bits; hexadecimal ones may use all 32 bits and are
// taken as signed.
std::optional<int32_t> ParseIntegerText(const std::string& text);

// True when the new dotted version text stands for an older version than the installed
// one. The first three places end at a dot and the fourth is the rest; a missing place
// counts as 0 (1.2 is 1.2.0.0). A place that is not a number decides at once, the
// installed text examined first: installed means not older, new means older.
bool IsOlderVersion(const std::string& newText, const std::string& installedText);

// A small unsigned little-endian number at a fixed offset from the file start.
struct VersionField {
    uint32_t offset;
    uint32_t width;  // 1 or 2 bytes
};
constexpr VersionField kPakVersionField{6, 2};
constexpr VersionField kCokVersionField{5, 2};
constexpr VersionField kThreeBsVersionField{6, 1};

// The field's value from the `count` bytes read at its offset, widened without sign;
// 0 unless exactly the field's width arrived.
int32_t DecodeVersionField(const unsigned char* bytes, size_t count, VersionField field);

// A line that begins with "[langver]" in any letter case; anything may follow.
bool IsLanguageSectionLine(const std::string& line);

// Bytes read in order from a file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `capacity` bytes into `buffer`, `got` 0 at the end. False on a read error.
    virtual bool Read(char* buffer, size_t capacity, size_t& got) = 0;
};

// Lines of a text as a Pascal text reader sees them: a line ends at CR LF, at LF or at
// a CR alone, and the last line needs no ending. NUL is a character like any other.
class TextLineReader {
public:
    enum class Result { Line, End, Error };

    // At most `keepLength` bytes of each line are kept; the rest of a longer line is read
    // past, never taken as a line of its own.
    TextLineReader(ByteSource& source, size_t keepLength);

    // The next line without its ending; `cut` tells whether it was longer than kept.
    Result ReadLine(std::string& line, bool& cut);

private:
    bool Fill();

    ByteSource& source_;
    size_t keepLength_;
    std::vector<char> buffer_;
    size_t position_ = 0;
    size_t filled_ = 0;
    bool atEnd_ = false;
    bool failed_ = false;
    // A CR ended the last line; an LF right after it belongs to that ending. It is
    // skipped only when the next line is asked for, so nothing past a line is read early.
    bool skipLineFeed_ = false;
};

// Longest value line that is still read as a number; longer ones are not numbers.
constexpr size_t kLanguageLineKeep = 1024;

// The number on the line after the first [langver] line: nullopt when that line is not
// a number or the text cannot be read; 0 when the text has no [langver] line. Reading
// stops after the value line.
std::optional<int32_t> ReadLanguageVersion(ByteSource& source);

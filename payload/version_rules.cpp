#include "payload/version_rules.h"

#include <array>

#include "base/ascii.h"

namespace {

int DigitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The four places of a dotted text; a text with fewer places leaves the rest empty.
std::array<std::optional<std::string>, 4> VersionPlaces(const std::string& text) {
    std::array<std::optional<std::string>, 4> places;
    size_t start = 0;
    for (size_t i = 0; i < places.size(); ++i) {
        const size_t dot = i + 1 < places.size() ? text.find('.', start) : std::string::npos;
        if (dot == std::string::npos) {
            places[i] = text.substr(start);
            break;
        }
        places[i] = text.substr(start, dot - start);
        start = dot + 1;
    }
    return places;
}

std::optional<int32_t> PlaceValue(const std::optional<std::string>& place) {
    if (!place) return 0;
    return ParseIntegerText(*place);
}

}  // namespace

std::optional<int32_t> ParseIntegerText(const std::string& text) {
    const size_t n = text.size();
    size_t i = 0;
    while (i < n && text[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    bool hex = false;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        i += 1;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == n) return std::nullopt;

    const uint64_t limit = hex ? UINT64_C(0xFFFFFFFF) : UINT64_C(0x80000000);
    uint64_t value = 0;
    for (; i < n; ++i) {
        const int digit = DigitValue(text[i], hex);
        if (digit < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > limit) return std::nullopt;
    }
    if (hex) {
        const uint32_t bits = static_cast<uint32_t>(value);
        return static_cast<int32_t>(negative ? 0u - bits : bits);
    }
    if (!negative && value == limit) return std::nullopt;
    return static_cast<int32_t>(negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value));
}

bool IsOlderVersion(const std::string& newText, const std::string& installedText) {
    const auto installedPlaces = VersionPlaces(installedText);
    const auto newPlaces = VersionPlaces(newText);
    for (size_t i = 0; i < installedPlaces.size(); ++i) {
        const std::optional<int32_t> installed = PlaceValue(installedPlaces[i]);
        if (!installed) return false;
        const std::optional<int32_t> offered = PlaceValue(newPlaces[i]);
        if (!offered) return true;
        if (*installed != *offered) return *installed > *offered;
    }
    return false;
}

int32_t DecodeVersionField(const unsigned char* bytes, size_t count, VersionField field) {
    if (count != field.width) return 0;
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return static_cast<int32_t>(value);
}

bool IsLanguageSectionLine(const std::string& line) {
    static const char kSection[] = "[langver]";
    const size_t length = sizeof kSection - 1;
    if (line.size() < length) return false;
    for (size_t i = 0; i < length; ++i)
        if (AsciiLower(line[i]) != kSection[i]) return false;
    return true;
}

TextLineReader::TextLineReader(ByteSource& source, size_t keepLength)
    : source_(source), keepLength_(keepLength), buffer_(4096) {}

bool TextLineReader::Fill() {
    if (position_ < filled_) return true;
    if (atEnd_ || failed_) return false;
    size_t got = 0;
    if (!source_.Read(buffer_.data(), buffer_.size(), got)) {
        failed_ = true;
        return false;
    }
    position_ = 0;
    filled_ = got;
    if (got == 0) atEnd_ = true;
    return got != 0;
}

TextLineReader::Result TextLineReader::ReadLine(std::string& line, bool& cut) {
    line.clear();
    cut = false;
    if (skipLineFeed_) {
        skipLineFeed_ = false;
        if (Fill() && buffer_[position_] == '\n') ++position_;
    }
    bool any = false;
    while (Fill()) {
        any = true;
        const char c = buffer_[position_++];
        if (c == '\n') return Result::Line;
        if (c == '\r') {
            skipLineFeed_ = true;
            return Result::Line;
        }
        if (line.size() < keepLength_)
            line.push_back(c);
        else
            cut = true;
    }
    if (failed_) return Result::Error;
    return any ? Result::Line : Result::End;
}

std::optional<int32_t> ReadLanguageVersion(ByteSource& source) {
    TextLineReader reader(source, kLanguageLineKeep);
    std::string line;
    bool cut = false;
    for (;;) {
        const TextLineReader::Result result = reader.ReadLine(line, cut);
        if (result == TextLineReader::Result::Error) return std::nullopt;
        if (result == TextLineReader::Result::End) return 0;
        if (IsLanguageSectionLine(line)) break;
    }
    // A [langver] line at the very end leaves an empty value line, which is no number.
    const TextLineReader::Result result = reader.ReadLine(line, cut);
    if (result == TextLineReader::Result::Error || cut) return std::nullopt;
    return ParseIntegerText(line);
}

// The integer text rule, which reads the version line of an installed language file and
// the places of dotted versions: against a reference parse of its grammar on any text,
// and on texts made from a number in every form the grammar allows.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "payload/version_rules.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool IsDigit(char c, bool hex) {
    return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
}

// The grammar read by cutting the text into its parts, the digits judged by their count
// once leading zeros are gone.
std::optional<int32_t> Reference(const std::string& text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return std::nullopt;
    const bool negative = text[i] == '-';
    if (text[i] == '+' || text[i] == '-') ++i;
    bool hex = false;
    for (const char* prefix : {"0x", "0X", "$", "x", "X"}) {
        const std::string p = prefix;
        if (text.compare(i, p.size(), p) == 0) {
            hex = true;
            i += p.size();
            break;
        }
    }
    std::string digits = text.substr(i);
    if (digits.empty()) return std::nullopt;
    for (char c : digits)
        if (!IsDigit(c, hex)) return std::nullopt;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    if (hex) {
        if (digits.size() > 8) return std::nullopt;
        const uint32_t bits = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
        return static_cast<int32_t>(negative ? 0u - bits : bits);
    }
    if (digits.size() > 10) return std::nullopt;
    const long long value = std::stoll(digits) * (negative ? -1 : 1);
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(ParseIntegerText(text) == Reference(text));

    // A number of the input's first four bytes, written by the program's own formats.
    FuzzedDataProvider provider(data, size);
    const int32_t value = provider.ConsumeIntegral<int32_t>();
    const uint32_t bits = static_cast<uint32_t>(value);
    const std::string blanks(provider.ConsumeIntegralInRange<size_t>(0, 3), ' ');
    const std::string zeros(provider.ConsumeIntegralInRange<size_t>(0, 12), '0');
    char decimal[16];
    std::snprintf(decimal, sizeof decimal, "%d", value);
    const std::string written = decimal;
    FUZZ_CHECK(ParseIntegerText(written) == value);
    FUZZ_CHECK(ParseIntegerText(blanks + written) == value);
    if (value >= 0) FUZZ_CHECK(ParseIntegerText(blanks + "+" + zeros + written) == value);
    if (value < 0) FUZZ_CHECK(ParseIntegerText("-" + zeros + written.substr(1)) == value);
    for (const char* form : {"%X", "%x", "%08X"})
        for (const char* prefix : {"$", "x", "X", "0x", "0X"}) {
            char hex[16];
            std::snprintf(hex, sizeof hex, form, static_cast<unsigned>(bits));
            FUZZ_CHECK(ParseIntegerText(blanks + prefix + zeros + hex) == value);
            std::snprintf(hex, sizeof hex, form, static_cast<unsigned>(0u - bits));
            FUZZ_CHECK(ParseIntegerText(blanks + "-" + prefix + hex) == value);
        }
    // Anything after the digits, or before them but a space, makes it no number.
    FUZZ_CHECK(!ParseIntegerText(written + " ").has_value());
    FUZZ_CHECK(!ParseIntegerText("\t" + written).has_value());
    FUZZ_CHECK(!ParseIntegerText(written + std::string(1, '\0')).has_value());
    return 0;
}

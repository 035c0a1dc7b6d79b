// Numbers as text without the C runtime's printf family, whose MinGW implementation
// (with its floating-point formatting) would be most of the program's code.
#pragma once

#include <cstdint>
#include <string>

inline std::string DecimalText(uint32_t value) {
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    std::string text;
    while (n > 0) text += digits[--n];
    return text;
}

// Hexadecimal digits, at least `minDigits` of them.
inline std::string HexText(uint32_t value, int minDigits, bool upperCase) {
    const char* alphabet = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    char digits[8];
    int n = 0;
    do {
        digits[n++] = alphabet[value & 0xF];
        value >>= 4;
    } while (value != 0);
    std::string text(minDigits > n ? static_cast<size_t>(minDigits - n) : 0, '0');
    while (n > 0) text += digits[--n];
    return text;
}

// Letter case of the ASCII letters alone: every other byte, a Windows-1251 capital
// among them, stays as it is, whatever the locale of the process.
#pragma once

#include <string>

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
inline char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string LowerAscii(std::string text) {
    for (char& c : text) c = AsciiLower(c);
    return text;
}

inline std::string UpperAscii(std::string text) {
    for (char& c : text) c = AsciiUpper(c);
    return text;
}

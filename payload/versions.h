// Version fields of the application's data files and the comparison of dotted
// version texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The integer text rule: optional leading blanks, a sign, decimal digits or
// hexadecimal ones after "$", "x", "X", "0x" or "0X", nothing after the digits.
std::optional<int32_t> ParseIntegerText(const std::string& text);

// Version probes of the data kinds; 0 when the field cannot be read.
int32_t PakVersion(const std::string& path);
int32_t CokVersion(const std::string& path);
int32_t ThreeBsVersion(const std::string& path);
// Shows the language-file error pair on a read or conversion error.
int32_t LanguageFileVersion(const std::string& path);

// "FileVersion" of an executable's version resource; empty when there is none.
std::string ExecutableVersionText(const std::string& path);

// True when the new dotted version text stands for an older version than the installed one.
bool IsOlderVersion(const std::string& newText, const std::string& installedText);

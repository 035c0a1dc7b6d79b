// Start-up rules that need no Windows: the Cyrillic locale set, the lower-casing of
// command-line words, and the runtime's split of a command line into parameters.
#pragma once

#include <cstdint>
#include <string>

// True for the seven locales whose users get Russian texts. The whole 32-bit value
// counts: sub-language and sort bits are not masked.
bool IsRussianUiLocale(uint32_t lcid);

// Maps A..Z onto a..z and leaves every other byte (Cyrillic capitals among them) alone.
std::string LowerAscii(std::string text);

// Parameter `index` of a command line: parameters are separated by characters up to
// the blank, double quotes group a parameter and are dropped. Index 0 is the program
// part; an absent parameter gives an empty text.
std::string CommandLineParameter(const std::string& commandLine, int index);

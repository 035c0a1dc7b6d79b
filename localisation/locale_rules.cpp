#include "localisation/locale_rules.h"

bool IsRussianUiLocale(uint32_t lcid) {
    switch (lcid) {
    case 1026:  // Bulgarian
    case 1049:  // Russian
    case 1058:  // Ukrainian
    case 1059:  // Belarusian
    case 1087:  // Kazakh
    case 1092:  // Tatar
    case 2073:  // Russian (Moldova)
        return true;
    default:
        return false;
    }
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string CommandLineParameter(const std::string& commandLine, int index) {
    size_t i = 0;
    const size_t n = commandLine.size();
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    for (int current = 0;; ++current) {
        while (i < n && isBlank(commandLine[i])) ++i;
        if (i >= n) return std::string();
        std::string parameter;
        bool quoted = false;
        while (i < n && (quoted || !isBlank(commandLine[i]))) {
            if (commandLine[i] == '"')
                quoted = !quoted;
            else
                parameter += commandLine[i];
            ++i;
        }
        if (current == index) return parameter;
    }
}

#include "base/log_text.h"

#include "base/number_text.h"

namespace {

void AppendDigits(std::string& out, int value, int width) {
    const std::string digits = DecimalText(value < 0 ? 0u : static_cast<uint32_t>(value));
    if (digits.size() < static_cast<size_t>(width)) out.append(static_cast<size_t>(width) - digits.size(), '0');
    out += digits;
}

}  // namespace

std::string LogTimeText(const LogTime& t) {
    const struct {
        int value;
        int width;
        const char* after;
    } fields[] = {{t.year, 4, "-"},   {t.month, 2, "-"},  {t.day, 2, " "},        {t.hour, 2, ":"},
                  {t.minute, 2, ":"}, {t.second, 2, "."}, {t.millisecond, 3, ""}};
    std::string out;
    for (const auto& field : fields) {
        AppendDigits(out, field.value, field.width);
        out += field.after;
    }
    return out;
}

std::string OneLine(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += " / ";
        } else {
            out += c;
        }
    }
    return out;
}

std::string ErrorText(unsigned long error, const std::string& systemText) {
    std::string text = systemText;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    std::string out = "error " + DecimalText(static_cast<uint32_t>(error));
    if (!text.empty()) out += ": " + OneLine(text);
    return out;
}

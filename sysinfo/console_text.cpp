#include "sysinfo/console_text.h"

namespace sysinfo {

std::string ConsoleCommandLine(const std::string& interpreter, const std::string& command,
                               const std::string& outputFile) {
    return "\"" + interpreter + "\" /d /c " + command + " > \"" + outputFile + "\"";
}

std::string JoinTextLines(const std::string& content) {
    std::string joined;
    size_t at = 0;
    do {
        const size_t end = content.find_first_of("\r\n", at);
        if (end == std::string::npos) {
            joined.append(content, at, std::string::npos);
            at = content.size();
        } else {
            joined.append(content, at, end - at);
            at = end + 1;
            if (content[end] == '\r' && at < content.size() && content[at] == '\n') ++at;
        }
        joined += "\r\n";
    } while (at < content.size());
    return joined;
}

}  // namespace sysinfo

#include "base/command_line.h"

#include "base/ascii.h"

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

RunOptions ParseRunOptions(const std::string& commandLine) {
    RunOptions options;
    options.firstParameter = LowerAscii(CommandLineParameter(commandLine, 1));
    options.quiet = options.firstParameter == "modest";
    options.startAfterInstall = options.quiet && LowerAscii(CommandLineParameter(commandLine, 2)) == "runapp";
    return options;
}

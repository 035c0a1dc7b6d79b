#include "base/command_line.h"

#include "base/ascii.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Takes the option out of `parameter` into `options`; false when it names none.
bool TakeOption(const std::string& parameter, RunOptions& options) {
    static const char kLog[] = "/log=";
    const std::string lower = LowerAscii(parameter);
    if (lower == "/?" || lower == "/help") {
        options.help = true;
    } else if (lower == "/suppressmsgboxes") {
        options.suppressMessageBoxes = true;
    } else if (lower.compare(0, sizeof kLog - 1, kLog) == 0) {
        // The last one named counts; "/log=" alone keeps no log.
        options.logFile = parameter.substr(sizeof kLog - 1);
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> CommandLineParameters(const std::string& commandLine) {
    std::vector<std::string> parameters;
    size_t i = 0;
    const size_t n = commandLine.size();
    for (;;) {
        while (i < n && IsBlank(commandLine[i])) ++i;
        if (i >= n) return parameters;
        std::string parameter;
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(commandLine[i]))) {
            if (commandLine[i] == '"')
                quoted = !quoted;
            else
                parameter += commandLine[i];
            ++i;
        }
        parameters.push_back(std::move(parameter));
    }
}

std::string CommandLineParameter(const std::string& commandLine, int index) {
    const std::vector<std::string> parameters = CommandLineParameters(commandLine);
    if (index < 0 || static_cast<size_t>(index) >= parameters.size()) return std::string();
    return parameters[static_cast<size_t>(index)];
}

RunOptions ParseRunOptions(const std::string& commandLine) {
    RunOptions options;
    std::vector<std::string> parameters = CommandLineParameters(commandLine);
    std::vector<std::string> plain;
    for (size_t i = 1; i < parameters.size(); ++i)
        if (parameters[i].empty() || parameters[i][0] != '/' || !TakeOption(parameters[i], options))
            plain.push_back(std::move(parameters[i]));
    auto parameter = [&plain](size_t index) { return index < plain.size() ? plain[index] : std::string(); };
    options.firstParameter = LowerAscii(parameter(0));
    options.quiet = options.firstParameter == "modest";
    options.startAfterInstall = options.quiet && LowerAscii(parameter(1)) == "runapp";
    return options;
}

// The command line, read once at start-up into the options of the run.
#pragma once

#include <string>
#include <vector>

// The parameters of a command line: parameters are separated by characters up to the
// blank, double quotes group a parameter and are dropped. The first is the program.
std::vector<std::string> CommandLineParameters(const std::string& commandLine);

// Parameter `index` of a command line; index 0 is the program part, an absent
// parameter gives an empty text.
std::string CommandLineParameter(const std::string& commandLine, int index);

// What the caller asked of this run. A parameter that begins with "/" and names an
// option (without regard to case) is an option wherever it stands, and is taken out
// before parameters 1 and 2 are read; any other "/" word stays a parameter.
struct RunOptions {
    std::string firstParameter;      // parameter 1, A..Z lower-cased
    bool quiet = false;              // parameter 1 is "modest": no questions
    bool startAfterInstall = false;  // quiet, and parameter 2 is "runapp"
    std::string logFile;             // "/log=FILE": the log to append to; empty, no log
    bool suppressMessageBoxes = false;  // "/suppressmsgboxes"
    bool help = false;                  // "/?" or "/help"

    // "/suppressmsgboxes" counts in quiet mode only.
    bool BoxesSuppressed() const { return quiet && suppressMessageBoxes; }
};

// The command line is given as UTF-8, so that a file name in any script survives.
RunOptions ParseRunOptions(const std::string& commandLine);

// The command line, read once at start-up into the options of the run.
#pragma once

#include <string>

// Parameter `index` of a command line: parameters are separated by characters up to
// the blank, double quotes group a parameter and are dropped. Index 0 is the program
// part; an absent parameter gives an empty text.
std::string CommandLineParameter(const std::string& commandLine, int index);

// What the caller asked of this run.
struct RunOptions {
    std::string firstParameter;      // parameter 1, A..Z lower-cased
    bool quiet = false;              // parameter 1 is "modest": no questions
    bool startAfterInstall = false;  // quiet, and parameter 2 is "runapp"
};

RunOptions ParseRunOptions(const std::string& commandLine);

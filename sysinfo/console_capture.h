// Runs one command of the command interpreter named by "ComSpec", hidden, and gives what
// it printed, read back from a temporary file in "Temp".
#pragma once

#include <string>

namespace sysinfo {

struct CaptureSettings {
    // The interpreter is ended when it runs longer: start-up must not hang on a command
    // interpreter that never returns (a blocked console, a replaced "ComSpec").
    unsigned long timeoutMs = 10000;
    // Draws the letters of the file name: uniform in [0, range).
    unsigned (*random)(unsigned range) = nullptr;  // nullptr: the program's generator
};

// Lines joined with "\r\n" and converted from the OEM to the ANSI code page. Empty when
// "ComSpec" is unset or too long for a path; "\r\n" when the command wrote nothing.
std::string CaptureConsoleOutput(const std::string& command, const CaptureSettings& settings = {});

// The text converted by OemToCharA, as long as the input (winuser.h already has
// OemToAnsi, as a macro).
std::string ConvertOemToAnsi(const std::string& text);

}  // namespace sysinfo

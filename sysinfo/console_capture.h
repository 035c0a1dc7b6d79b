// Runs one command of the command interpreter named by "ComSpec", hidden, and gives what
// it printed, read back from a temporary file in "Temp".
#pragma once

#include <memory>
#include <string>

namespace sysinfo {

struct CaptureSettings {
    // The interpreter is ended when it runs longer: the run must not hang on a command
    // interpreter that never returns (a blocked console, a replaced "ComSpec").
    unsigned long timeoutMs = 10000;
    // Draws the letters of the file name: uniform in [0, range).
    unsigned (*random)(unsigned range) = nullptr;  // nullptr: the program's generator
};

// Lines joined with "\r\n" and converted from the OEM to the ANSI code page. Empty when
// "ComSpec" is unset or too long for a path; "\r\n" when the command wrote nothing.
std::string CaptureConsoleOutput(const std::string& command, const CaptureSettings& settings = {});

// A capture whose command runs beside the caller: the interpreter is started and waited
// for on a thread of its own from the construction on (under Wine, starting a console
// program and its console takes longer than the rest of the start-up). The output file
// is reserved on the calling thread, so the program's generator stays on the main thread.
class PendingCapture {
public:
    explicit PendingCapture(const std::string& command, const CaptureSettings& settings = {});
    PendingCapture(const PendingCapture&) = delete;
    PendingCapture& operator=(const PendingCapture&) = delete;
    // Waits for the command: its output file is gone afterwards.
    ~PendingCapture();

    // What CaptureConsoleOutput gives; the first call waits for the command.
    const std::string& Output();

private:
    struct Run;
    std::unique_ptr<Run> run_;
};

// The text converted by OemToCharA, as long as the input (winuser.h already has
// OemToAnsi, as a macro).
std::string ConvertOemToAnsi(const std::string& text);

}  // namespace sysinfo

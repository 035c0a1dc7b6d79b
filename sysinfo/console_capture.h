// Runs one command of the system's own command interpreter, hidden, and gives what it
// printed, read back from a temporary file.
#pragma once

#include <memory>
#include <string>

namespace sysinfo {

struct CaptureSettings {
    // The interpreter is ended when it runs longer: the run must not hang on a command
    // interpreter that never returns (a blocked console).
    unsigned long timeoutMs = 10000;
    // The interpreter's full path (UTF-8); nullptr for seams::interpreter, and where that
    // is null too, cmd.exe of the system folder.
    const char* interpreter = nullptr;
    // Draws the letters of the file name: uniform in [0, range).
    unsigned (*random)(unsigned range) = nullptr;  // nullptr: the program's generator
};

namespace seams {
// The interpreter of every capture that names none: test programs put a stand-in here.
extern const char* interpreter;
}  // namespace seams

// Lines joined with "\r\n" and converted from the OEM to the ANSI code page. Empty when
// the system folder cannot be read; "\r\n" when the command wrote nothing. cmd.exe runs
// with /d (no "AutoRun") in the system folder; its output file lies in the folder that
// GetTempPath2W names where Windows has it, in "Temp" elsewhere.
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

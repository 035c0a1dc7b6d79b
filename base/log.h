// The run's log, kept when the caller asks for one: one UTF-8 line per event appended
// to the named file, each after the local date and time. Without a log, and when the
// file cannot be opened, every call does nothing. Main thread only.
#pragma once

#include <string>

#include "base/text.h"

namespace runlog {

// Starts appending to the file; an empty name keeps no log.
void Open(const std::string& utf8Path);
void Close();

void Write(const Text& line);
inline void Write(const char* fixed) { Write(Text::Fixed(fixed)); }
inline void Write(const std::string& fixed) { Write(Text::Fixed(fixed)); }

// A failed system call: its name, what it worked on, the error number and the system's
// text for it. Logging leaves the caller's last error as it was.
void SystemCallFailed(const char* call, unsigned long error, const Text& subject = Text());

}  // namespace runlog

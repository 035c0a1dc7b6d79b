// The rules of the run's log that need no Windows: the time at the start of a line and
// the one-line form of a text.
#pragma once

#include <string>

struct LogTime {
    int year, month, day, hour, minute, second, millisecond;
};

// "2026-12-09 13:45:01.123"
std::string LogTimeText(const LogTime& time);

// A text of several lines as one: each line break (CR LF, LF or CR alone) becomes " / ".
std::string OneLine(const std::string& text);

// "error N: TEXT", the system's TEXT for error N in one line without its line end;
// "error N" when there is no text.
std::string ErrorText(unsigned long error, const std::string& systemText);

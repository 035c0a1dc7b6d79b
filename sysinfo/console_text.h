// The texts of the console command capture that need no system call: the command line
// that runs a command with its output redirected into a file, and the reading of that
// file as a text file.
#pragma once

#include <string>

namespace sysinfo {

// "`interpreter`" /d /c `command` > "`outputFile`": /d, so that cmd.exe runs no
// "AutoRun" command of the registry first (HKCU's is the user's to set).
std::string ConsoleCommandLine(const std::string& interpreter, const std::string& command,
                               const std::string& outputFile);

// The file content read line by line, at least once and up to its end, each line
// followed by "\r\n". A line ends at "\r\n", "\n" or "\r". An empty file gives "\r\n".
std::string JoinTextLines(const std::string& content);

}  // namespace sysinfo

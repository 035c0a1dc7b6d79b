// Small questions to the system that every module asks.
#pragma once

#include <string>

// A file of that name exists; a folder does not count.
bool IsExistingFile(const std::string& path);
// A folder of that name exists; a file does not count.
bool IsExistingFolder(const std::string& path);

// Paths are UTF-8 (see path_text.h).

// The value of an environment variable of any length, in UTF-8; empty when it is unset.
std::string EnvironmentVariable(const char* name);

// The program's own path and the command line it was started with, in UTF-8, whatever
// the ANSI code page can hold.
std::string OwnPathUtf8();
std::string CommandLineUtf8();

// Small questions to the system that every module asks.
#pragma once

#include <string>

// A file of that name exists; a folder does not count.
bool IsExistingFile(const std::string& path);
// A folder of that name exists; a file does not count.
bool IsExistingFolder(const std::string& path);

// The value of an environment variable of any length; empty when it is unset.
std::string EnvironmentVariable(const char* name);

// The program's own path and the command line it was started with, in UTF-8, whatever
// the ANSI code page can hold.
std::string OwnPathUtf8();
std::string CommandLineUtf8();

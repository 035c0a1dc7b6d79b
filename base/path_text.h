// Folder texts.
#pragma once

#include <string>

// Appends "\" to a text that is not empty and does not end with one.
void AddTrailingBackslash(std::string& folder);
std::string WithTrailingBackslash(std::string folder);

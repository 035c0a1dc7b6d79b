// Folder and path texts. Paths are UTF-8 from where they are read to where they are
// used, so that a folder named in any script survives whatever the ANSI code page.
#pragma once

#include <cstddef>
#include <string>

// Appends "\" to a text that is not empty and does not end with one.
void AddTrailingBackslash(std::string& folder);
std::string WithTrailingBackslash(std::string folder);

// The form of an absolute path that the wide file calls take beyond their length
// limit: "\\?\C:\..." for a drive path, "\\?\UNC\server\share\..." for a network
// path, when the path has `utf16Length` or more UTF-16 units than a folder call takes
// (MAX_PATH less the 12 that CreateDirectory keeps for an 8.3 name). Shorter paths,
// relative ones and those already in that form stay as they are.
std::string ExtendedLengthPath(const std::string& path, size_t utf16Length);
constexpr size_t kLongPathFrom = 260 - 12;

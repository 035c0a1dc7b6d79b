// Version fields of the application's data files and the comparison of dotted
// version texts. Probes never fail: a field that cannot be read gives 0 or "".
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/text.h"
#include "payload/version_rules.h"  // ParseIntegerText, IsOlderVersion

// Version probes of the data kinds; 0 when the field cannot be read. The file is
// opened without sharing, so a file that another handle holds open reads as 0.
int32_t PakVersion(const std::string& path);
int32_t CokVersion(const std::string& path);
int32_t ThreeBsVersion(const std::string& path);
// The language file's version, and the pair the user is to be shown when the file
// cannot be opened or read or its value is not a number (the version is then 0). A
// missing file and one without a [langver] line give 0 and no pair.
struct LanguageVersion {
    int32_t version = 0;
    std::optional<MessagePair> problem;
};
LanguageVersion LanguageFileVersion(const std::string& path);

// The same probes on a file the caller holds open for reading, whatever its position.
// Only a disk file is read: a pipe or a device could block a read forever.
int32_t ReadVersionField(HANDLE file, VersionField field);
// `path` names the file in the problem's text.
LanguageVersion LanguageFileVersion(HANDLE file, const std::string& path);

// "FileVersion" of an executable's version resource, from the string table that the
// first translation entry names; empty when there is none.
std::string ExecutableVersionText(const std::string& path);

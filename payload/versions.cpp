// Placeholder until the version probes land.
#include "payload/versions.h"

std::optional<int32_t> ParseIntegerText(const std::string&) { return std::nullopt; }
int32_t PakVersion(const std::string&) { return 0; }
int32_t CokVersion(const std::string&) { return 0; }
int32_t ThreeBsVersion(const std::string&) { return 0; }
int32_t LanguageFileVersion(const std::string&) { return 0; }
std::string ExecutableVersionText(const std::string&) { return std::string(); }
bool IsOlderVersion(const std::string&, const std::string&) { return false; }

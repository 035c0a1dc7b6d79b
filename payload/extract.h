// Writing the package from the setup's own resources into the application's folder.
#pragma once

#include <string>

// Writes resource (name, type kind) to target. With the check switch set, an existing
// target of a version-compared kind is replaced only through a temporary copy, after
// asking when the installed file is newer. Gives false after it has shown the
// installing-file error pair; true when the target holds the package or the user chose
// to keep the installed file.
bool InstallResourceFile(const std::string& name, const std::string& kind, const std::string& target,
                         bool checkSwitch);

// Joins resources name + "1" and name + "2" (type kind) into target.
bool InstallTwoPartResourceFile(const std::string& name, const std::string& kind, const std::string& target);

// Writing the package from the setup's own resources into the application's folder.
#pragma once

#include <string>

// Writes resource (name, type kind) to target. With the check switch set, an existing
// target of a version-compared kind is replaced only through a temporary copy, after
// asking when the installed file is newer. Returns when the target holds the package
// or the user chose to keep the installed file; raises SetupError with the
// installing-file pair and ExitCode::InstallFailed otherwise.
void InstallResourceFile(const std::string& name, const std::string& kind, const std::string& target,
                         bool checkSwitch);

// Joins resources name + "1" and name + "2" (type kind) into target; fails as above.
void InstallTwoPartResourceFile(const std::string& name, const std::string& kind, const std::string& target);

// Writing the package from the setup's own resources into the application's folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The package file the step leaves at its target, as a deployment tool's detection
// rule is to see it.
struct PlacedPackage {
    bool present = false;
    // Its version field as its kind's probe reads it; none for a kind without one.
    std::optional<int32_t> version;
};

// Writes resource (name, type kind) to target. With the check switch set, an existing
// target of a version-compared kind is replaced only through a temporary copy, after
// asking when the installed file is newer. Returns when the target holds the package
// or the user chose to keep the installed file; raises SetupError with the
// installing-file pair and ExitCode::InstallFailed otherwise. Brief holds of other
// processes on the files are waited out. `placed` tells what lies at the target
// afterwards, either way.
void InstallResourceFile(const std::string& name, const std::string& kind, const std::string& target,
                         bool checkSwitch, PlacedPackage& placed);

// Joins resources name + "1" and name + "2" (type kind) into target; fails as above.
void InstallTwoPartResourceFile(const std::string& name, const std::string& kind, const std::string& target,
                                PlacedPackage& placed);

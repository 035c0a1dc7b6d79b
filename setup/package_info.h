// PackageInfo: the constants of the one package this build carries and the values
// derived from them.
#pragma once

#include <cstdint>
#include <string>

#include "base/text.h"

struct PackageInfo {
    std::string title;     // Windows-1251
    std::string baseName;  // resource name and base of the installed file name
    std::string kind;      // resource type and extension
    int32_t version = 0;

    // Derived at the start of the setup sequence.
    std::string fileName;     // base name + "." + kind
    std::string description;  // title + decimal version
    std::string shortName;    // "Tarnwick"
    std::string russianName;  // "Обновление Tarnwick"
    std::string englishName;  // "Tarnwick update"
};

// The constants of this build (title, base name, version, kind), generated for each
// setup program from its package settings.
PackageInfo BuildPackageInfo();
void DeriveValues(PackageInfo& info);

// The two questions of the sequence, built from the package's values. The start
// question is Russian in both languages.
QuestionPair InstallQuestion(const PackageInfo& info);
QuestionPair StartQuestion(const PackageInfo& info);

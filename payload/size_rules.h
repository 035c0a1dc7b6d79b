// Rules of the installed-size measure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Neither "." nor "..".
bool IsChildFolderName(const char* name);

// Whether a file name is one of `names`, the way Windows matches names of ASCII
// letters: without regard to their case.
bool IsSetAsideName(const std::string& name, const std::vector<std::string>& names);

// The REG_DWORD "EstimatedSize" for a size in kilobytes: capped at the largest value
// the type holds.
uint32_t EstimatedSizeValue(int64_t kilobytes);

// The REG_DWORD that tells a deployment tool which package a machine has: the version
// of the package file in place, `buildVersion` for a kind without a version field, 0
// without a file (and for a field that reads below 0), so that "at least this build's
// version" holds exactly where this build's package or a newer one lies.
uint32_t DetectionValue(bool present, std::optional<int32_t> version, int32_t buildVersion);

// The folders one walk has listed, known by volume serial number and file index, so
// that a folder reached a second time through a link that is not marked as a reparse
// point (a loop on a network share whose server follows links) is not listed again.
class FolderIdentities {
public:
    // False when the folder was listed before. An index of 0 names no file and is
    // never taken as a match.
    bool FirstVisit(uint32_t volumeSerial, uint64_t fileIndex);

private:
    std::vector<std::pair<uint32_t, uint64_t>> seen_;  // sorted
};

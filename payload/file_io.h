// Writing files so that nothing half-written is left behind: a new file that removes
// itself unless it was written in full, and a temporary copy that replaces its target
// in one atomic rename or removes itself.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "base/win32.h"

struct Bytes {
    const char* data;
    size_t size;
};

// Creates path, which must not exist, and writes the pieces into it. On failure the
// partial file is removed.
bool WriteNewFile(const std::string& path, std::initializer_list<Bytes> pieces);

class TemporaryCopy {
public:
    explicit TemporaryCopy(std::string path) : path_(std::move(path)) {}
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;
    ~TemporaryCopy() { Discard(); }

    const std::string& Path() const { return path_; }
    // Writes the pieces (overwriting a file an earlier run left there) and flushes them
    // to disk.
    bool Write(std::initializer_list<Bytes> pieces);
    // Renames the copy over target; the target is either the old file or the new one.
    bool ReplaceTarget(const std::string& target);
    // Removes the copy; a failure to remove is ignored.
    void Discard();

private:
    std::string path_;
    bool present_ = false;
};

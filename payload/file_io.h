// Writing files so that nothing half-written is left behind: a temporary copy, written
// and flushed in full, that becomes its target in one atomic rename or removes itself.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "base/win32.h"

struct Bytes {
    const char* data;
    size_t size;
};

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
    enum class Target { Absent, Installed };
    // Renames the copy to target: over the installed file, or to a name that must still
    // be free. The target is either what it was or the whole new file.
    bool MoveTo(const std::string& target, Target expected);
    // Removes the copy; a failure to remove is ignored.
    void Discard();

private:
    std::string path_;
    bool present_ = false;
};

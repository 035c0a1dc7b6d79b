// Writing files so that nothing half-written is left behind: a temporary copy, created
// new in the install folder, written and flushed in full, that becomes its target in one
// atomic rename through its own handle or removes itself.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "base/files.h"
#include "base/win32.h"
#include "payload/extract_rules.h"

struct Bytes {
    const char* data;
    size_t size;
};

// Waits out brief holds of other processes on the files of one payload step. The time
// is the step's, not each call's: a file held for good costs it once.
class Patience {
public:
    // After a call of `step` on `path` failed with `error`: when that is a brief hold and
    // time is left, logs the try, pauses and gives true (call again). The last error is
    // `error` again afterwards.
    bool WaitAfter(unsigned long error, FileStep step, const std::string& path);

    // Runs `call` (true on success, the error in GetLastError otherwise) until it
    // succeeds or WaitAfter gives up.
    template <typename Call>
    bool Retry(FileStep step, const std::string& path, Call call) {
        while (!call())
            if (!WaitAfter(::GetLastError(), step, path)) return false;
        return true;
    }

private:
    int retries_ = 0;
};

class TemporaryCopy {
public:
    // The copy `name` in `folder`; both outlive it.
    TemporaryCopy(const files::Folder& folder, std::string name, Patience& patience)
        : folder_(folder), name_(std::move(name)), path_(folder.Path() + name_), patience_(patience) {}
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;
    ~TemporaryCopy() { Discard(); }

    const std::string& Path() const { return path_; }
    // Removes a copy an earlier run left (its name only, never a file a link leads to),
    // creates the copy new, makes sure it is the folder's own entry, writes the pieces
    // and flushes them to disk.
    bool Write(std::initializer_list<Bytes> pieces);
    // The written copy, open for reading until it is moved or discarded.
    HANDLE Handle() const { return file_.Get(); }
    enum class Target { Absent, Installed };
    // Renames the copy to the folder's entry `targetName`: over the installed file, or
    // to a name that must still be free. The target is either what it was or the whole
    // new file.
    bool MoveTo(const std::string& targetName, Target expected);
    // Removes the copy; a failure to remove is ignored.
    void Discard();

private:
    bool RemoveLeftover();

    const files::Folder& folder_;
    std::string name_;
    std::string path_;
    Patience& patience_;
    win::UniqueFile file_;
    bool present_ = false;  // written by this run and not yet moved or removed
};

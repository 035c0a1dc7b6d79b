// Files acted on by the handle the program holds, as an elevated program must: it trusts
// no name it did not just create, checks where a handle really leads before it writes
// or reads, and renames or deletes through that handle, never by a name looked up again.
// A user who may write into a folder can plant a link there (a symbolic link, a hard
// link, a junction over the folder itself towards the object manager's "\RPC Control"),
// and every call by name would follow it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/win32.h"

namespace files {

// Where an open file or folder lies after every link, junction and mount point on the
// way: its volume's serial number, its path from the volume's root and its number of
// names (hard links).
struct Location {
    uint32_t volume = 0;
    std::string path;  // UTF-8, "\Apps\Tarnwick\tws.pak"
    uint32_t links = 0;
};
// No value when the system cannot tell: Windows XP has no call that names the file of
// a handle.
std::optional<Location> LocationOf(HANDLE handle);

// A folder held open while files in it are written: its handle does not share deletion,
// so the folder cannot be renamed, removed or replaced by a junction meanwhile.
class Folder {
public:
    explicit Folder(const std::string& path);
    bool Valid() const { return handle_.Valid(); }
    // As it was named, with a trailing backslash.
    const std::string& Path() const { return path_; }
    // True when `file` is the entry `name` of this folder and has no other name: no link
    // or junction led elsewhere and no hard link ties it to a file outside. Where the
    // system cannot tell (Windows XP), true.
    bool Holds(HANDLE file, const std::string& name) const;

private:
    std::string path_;
    win::UniqueFile handle_;
    std::optional<Location> location_;
};

// Whether renames and deletes can go through a handle (Vista and later); where not, the
// callers act by name, as everything did on Windows XP.
bool ActsByHandle();
// Gives the file of the handle the name `target` (a full path); an existing file of that
// name is replaced only with `replace`. The rename is flushed to the disk before it
// returns, as MOVEFILE_WRITE_THROUGH would. The handle needs DELETE access.
bool RenameByHandle(HANDLE file, const std::string& target, bool replace);
// Removes the name of the handle's file once the handle is closed (DELETE access).
bool DeleteByHandle(HANDLE file);

}  // namespace files

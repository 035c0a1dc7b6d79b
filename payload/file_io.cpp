#include "payload/file_io.h"

#include "base/log.h"
#include "base/wide_text.h"

namespace {

// Large writes are split: some redirectors refuse single writes of many megabytes.
constexpr size_t kWriteChunk = 8u << 20;

// The call's result, with a failure put in the log. A failure whose error reads 0 (a
// short write) is still a failure.
bool Succeeded(bool ok, const char* call, const std::string& path) {
    if (!ok) runlog::SystemCallFailed(call, ::GetLastError(), Text::FromUtf8(path));
    return ok;
}

bool WriteAll(HANDLE file, const std::string& path, std::initializer_list<Bytes> pieces) {
    for (const Bytes& piece : pieces) {
        for (size_t done = 0; done < piece.size;) {
            const DWORD chunk = static_cast<DWORD>(piece.size - done < kWriteChunk ? piece.size - done : kWriteChunk);
            DWORD written = 0;
            if (!Succeeded(::WriteFile(file, piece.data + done, chunk, &written, nullptr) && written == chunk,
                           "WriteFile", path))
                return false;
            done += chunk;
        }
    }
    return true;
}

}  // namespace

namespace {
bool IsReadOnly(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(WidePath(path).data());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}
}  // namespace

bool TemporaryCopy::Write(std::initializer_list<Bytes> pieces) {
    // A read-only file under the temporary name is someone's, not a leftover of an
    // earlier run. Windows refuses to truncate it; an administrator's process on other
    // systems (Wine run as root) would not, so the rule is kept here.
    if (IsReadOnly(path_)) {
        runlog::Write(Text::FromUtf8(path_) + " is a read-only file of someone else's");
        return false;
    }
    win::UniqueFile file(::CreateFileW(WidePath(path_).data(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!Succeeded(file.Valid(), "CreateFileW", path_)) return false;
    present_ = true;
    // Flushed before the rename, so that the renamed file is never one whose data
    // had not reached the disk.
    const bool written = WriteAll(file.Get(), path_, pieces) &&
                         Succeeded(::FlushFileBuffers(file.Get()) != FALSE, "FlushFileBuffers", path_);
    const bool closed = Succeeded(::CloseHandle(file.Detach()) != FALSE, "CloseHandle", path_);
    return written && closed;
}

bool TemporaryCopy::MoveTo(const std::string& target, Target expected) {
    if (!present_) return false;
    // Windows refuses to rename over a read-only file; the same everywhere.
    if (expected == Target::Installed && IsReadOnly(target)) {
        runlog::Write(Text::FromUtf8(target) + " is read-only");
        return false;
    }
    // Without MOVEFILE_REPLACE_EXISTING a file that appeared since the setup looked is
    // never overwritten unasked: the rename fails instead.
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (expected == Target::Installed ? MOVEFILE_REPLACE_EXISTING : 0);
    const bool moved = ::MoveFileExW(WidePath(path_).data(), WidePath(target).data(), flags) != FALSE;
    if (!Succeeded(moved, "MoveFileExW", target)) return false;
    present_ = false;
    return true;
}

void TemporaryCopy::Discard() {
    if (present_) ::DeleteFileW(WidePath(path_).data());
    present_ = false;
}

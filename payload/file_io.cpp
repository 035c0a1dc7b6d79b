#include "payload/file_io.h"

namespace {

// Large writes are split: some redirectors refuse single writes of many megabytes.
constexpr size_t kWriteChunk = 8u << 20;

bool WriteAll(HANDLE file, std::initializer_list<Bytes> pieces) {
    for (const Bytes& piece : pieces) {
        for (size_t done = 0; done < piece.size;) {
            const DWORD chunk = static_cast<DWORD>(piece.size - done < kWriteChunk ? piece.size - done : kWriteChunk);
            DWORD written = 0;
            if (!::WriteFile(file, piece.data + done, chunk, &written, nullptr) || written != chunk) return false;
            done += chunk;
        }
    }
    return true;
}

}  // namespace

bool WriteNewFile(const std::string& path, std::initializer_list<Bytes> pieces) {
    win::UniqueFile file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const bool written = WriteAll(file.Get(), pieces);
    const bool closed = ::CloseHandle(file.Detach()) != FALSE;
    if (written && closed) return true;
    ::DeleteFileA(path.c_str());
    return false;
}

namespace {
bool IsReadOnly(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}
}  // namespace

bool TemporaryCopy::Write(std::initializer_list<Bytes> pieces) {
    // A read-only file under the temporary name is someone's, not a leftover of an
    // earlier run. Windows refuses to truncate it; an administrator's process on other
    // systems (Wine run as root) would not, so the rule is kept here.
    if (IsReadOnly(path_)) return false;
    win::UniqueFile file(
        ::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    present_ = true;
    // Flushed before the rename, so that the renamed file is never one whose data
    // had not reached the disk.
    const bool written = WriteAll(file.Get(), pieces) && ::FlushFileBuffers(file.Get());
    const bool closed = ::CloseHandle(file.Detach()) != FALSE;
    return written && closed;
}

bool TemporaryCopy::ReplaceTarget(const std::string& target) {
    // Windows refuses to rename over a read-only file; the same everywhere.
    if (!present_ || IsReadOnly(target)) return false;
    if (!::MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    present_ = false;
    return true;
}

void TemporaryCopy::Discard() {
    if (present_) ::DeleteFileA(path_.c_str());
    present_ = false;
}

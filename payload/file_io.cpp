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

bool WriteAll(HANDLE file, const std::string& path, std::initializer_list<Bytes> pieces, Patience& patience) {
    for (const Bytes& piece : pieces) {
        for (size_t done = 0; done < piece.size;) {
            const DWORD chunk = static_cast<DWORD>(piece.size - done < kWriteChunk ? piece.size - done : kWriteChunk);
            // A locked range refuses the write whole; a short write is no hold and ends it.
            const bool wrote = patience.Retry(FileStep::Write, path, [&] {
                DWORD written = 0;
                const bool ok = ::WriteFile(file, piece.data + done, chunk, &written, nullptr) != FALSE;
                if (ok && written != chunk) ::SetLastError(ERROR_SUCCESS);
                return Succeeded(ok && written == chunk, "WriteFile", path);
            });
            if (!wrote) return false;
            done += chunk;
        }
    }
    return true;
}

bool IsReadOnly(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(WidePath(path).data());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace

bool Patience::WaitAfter(unsigned long error, FileStep step, const std::string& path) {
    const uint32_t pause = IsBriefHold(error, step) ? RetryPauseMs(retries_ + 1) : 0;
    if (pause == 0) {
        if (IsBriefHold(error, step)) runlog::Write(Text::FromUtf8(path) + ": still held, given up");
        ::SetLastError(error);
        return false;
    }
    ++retries_;
    runlog::Write(Text::FromUtf8(path) + ": held by another process (error " + std::to_string(error) + "), try " +
                  std::to_string(retries_ + 1) + " in " + std::to_string(pause) + " ms");
    ::Sleep(pause);
    ::SetLastError(error);
    return true;
}

bool TemporaryCopy::RemoveLeftover() {
    if (::GetFileAttributesW(WidePath(path_).data()) == INVALID_FILE_ATTRIBUTES) return true;
    // A read-only file under the temporary name is someone's, not a leftover of an
    // earlier run. Windows refuses to remove it; an administrator's process on other
    // systems (Wine run as root) would not, so the rule is kept here.
    if (IsReadOnly(path_)) {
        runlog::Write(Text::FromUtf8(path_) + " is a read-only file of someone else's");
        return false;
    }
    if (!files::ActsByHandle()) return Succeeded(::DeleteFileW(WidePath(path_).data()) != FALSE, "DeleteFileW", path_);
    // A delete by name follows a link planted under the name. Opened as a reparse point
    // the name itself is held on Windows; Wine 8 follows a Unix link even then, and the
    // check below refuses what it leads to.
    win::UniqueFile leftover;
    const bool opened = patience_.Retry(FileStep::Create, path_, [&] {
        leftover.Reset(::CreateFileW(WidePath(path_).data(), DELETE | FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        return Succeeded(leftover.Valid(), "CreateFileW", path_);
    });
    if (!opened) return false;
    if (!folder_.Holds(leftover.Get(), name_)) {
        runlog::Write(Text::FromUtf8(path_) + ": left by an earlier run, cannot be removed on its own");
        return false;
    }
    return Succeeded(files::DeleteByHandle(leftover.Get()), "SetFileInformationByHandle(FileDispositionInfo)", path_);
}

bool TemporaryCopy::Write(std::initializer_list<Bytes> pieces) {
    if (!RemoveLeftover()) return false;
    // Created new: a name that is a link, dangling or not, makes the call fail instead
    // of writing where the link leads. Not shared, and kept open to the rename.
    const bool created = patience_.Retry(FileStep::Create, path_, [&] {
        file_.Reset(::CreateFileW(WidePath(path_).data(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        return Succeeded(file_.Valid(), "CreateFileW", path_);
    });
    if (!created) return false;
    present_ = true;
    // Before the first byte: the new file must be the folder's own entry with one name,
    // whatever the folder or the name turned into since they were looked at.
    if (!folder_.Holds(file_.Get(), name_)) {
        runlog::Write(Text::FromUtf8(path_) + ": the new copy does not lie in the install folder; removed unwritten");
        Discard();
        return false;
    }
    // Flushed before the rename, so that the renamed file is never one whose data had
    // not reached the disk.
    return WriteAll(file_.Get(), path_, pieces, patience_) &&
           Succeeded(::FlushFileBuffers(file_.Get()) != FALSE, "FlushFileBuffers", path_);
}

bool TemporaryCopy::MoveTo(const std::string& targetName, Target expected) {
    if (!present_) return false;
    const std::string target = folder_.Path() + targetName;
    const bool replace = expected == Target::Installed;
    // Without replacing, a file that appeared since the setup looked is never overwritten
    // unasked: the rename fails instead.
    if (files::ActsByHandle()) {
        if (!patience_.Retry(FileStep::Rename, target,
                             [&] { return files::RenameByHandle(file_.Get(), target, replace); }))
            return false;
        file_.Reset();
    } else {
        file_.Reset();
        const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
        if (!patience_.Retry(FileStep::Rename, target, [&] {
                return Succeeded(::MoveFileExW(WidePath(path_).data(), WidePath(target).data(), flags) != FALSE,
                                 "MoveFileExW", target);
            }))
            return false;
    }
    present_ = false;
    return true;
}

void TemporaryCopy::Discard() {
    if (present_) {
        // Through the handle: the file this run created goes, whatever its name leads to now.
        if (file_ && files::DeleteByHandle(file_.Get()))
            file_.Reset();
        else {
            file_.Reset();
            ::DeleteFileW(WidePath(path_).data());
        }
    }
    file_.Reset();
    present_ = false;
}

// The least the platform needs to put the package in place, as a program of its own so
// that it pays the same process start as the installers it is compared with.
//   write_baseline copy SOURCE TARGET      CopyFileA over an absent target
//   write_baseline durable SOURCE TARGET   a temporary file beside the target, written
//                                          from a mapped view, flushed, then renamed
//                                          over the target with MoveFileExA
//   write_baseline resident                waits until it is ended: the Wine process
//                                          the benchmark keeps up while it times
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

int Copy(const char* source, const char* target) { return ::CopyFileA(source, target, FALSE) ? 0 : 1; }

// "~" in front of the file name, as the setup names its temporary copy. No C++ library
// here: the baseline should carry as little start-up as the program that does nothing.
bool TemporaryBeside(const char* target, char (&temporary)[MAX_PATH]) {
    const size_t length = std::strlen(target);
    if (length + 2 > MAX_PATH) return false;
    const char* slash = std::strrchr(target, '\\');
    const size_t head = slash ? static_cast<size_t>(slash - target) + 1 : 0;
    std::memcpy(temporary, target, head);
    temporary[head] = '~';
    std::memcpy(temporary + head + 1, target + head, length - head + 1);
    return true;
}

int Durable(const char* source, const char* target) {
    HANDLE in = ::CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE) return 1;
    const DWORD size = ::GetFileSize(in, nullptr);
    HANDLE mapping = ::CreateFileMappingA(in, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const void* view = mapping ? ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!view) return 1;
    char temporary[MAX_PATH];
    if (!TemporaryBeside(target, temporary)) return 1;
    HANDLE out = ::CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
    if (out == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const bool ok = ::WriteFile(out, view, size, &written, nullptr) && written == size && ::FlushFileBuffers(out);
    ::CloseHandle(out);
    ::UnmapViewOfFile(view);
    ::CloseHandle(mapping);
    ::CloseHandle(in);
    if (!ok || !::MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(temporary);
        return 1;
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc == 2 && std::strcmp(__argv[1], "resident") == 0) {
        ::Sleep(INFINITE);
        return 0;
    }
    if (__argc != 4) return 2;
    if (std::strcmp(__argv[1], "copy") == 0) return Copy(__argv[2], __argv[3]);
    if (std::strcmp(__argv[1], "durable") == 0) return Durable(__argv[2], __argv[3]);
    return 2;
}

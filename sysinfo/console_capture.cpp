#include "sysinfo/console_capture.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "base/files.h"
#include "base/path_text.h"
#include "base/random.h"
#include "base/system.h"
#include "base/wide_text.h"
#include "base/win32.h"
#include "sysinfo/console_text.h"

namespace sysinfo {

namespace seams {
const char* interpreter = nullptr;
}  // namespace seams

namespace {

constexpr int kNameLetters = 8;
// 26^8 names: repeated collisions mean a stuck generator, not bad luck.
constexpr int kNameAttempts = 16;
// "ver" prints one line; a runaway command must not fill the memory of the setup.
constexpr DWORD kMaxOutputBytes = 1 << 20;

// Creating the file exclusively reserves the name: an existing file of the same name is
// never overwritten by the redirection, a new name is drawn instead. The file stays open,
// shared for reading and writing but not for deletion, so that nobody can put a link in
// its place before the interpreter writes to it; what it printed is read through that
// handle.
win::UniqueFile ReserveOutputFile(const std::string& folder, unsigned (*random)(unsigned), std::string& path) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        path = folder;
        for (int i = 0; i < kNameLetters; ++i) path += static_cast<char>('a' + random(26));
        win::UniqueFile file(::CreateFileW(WidePath(path).data(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return file;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    path.clear();
    return win::UniqueFile();
}

// The temporary folder. For the system account GetTempPath2W (Windows 11, and Windows 10
// from its 2022 updates on) names a folder that only administrators may write to; the
// "Temp" variable may name any folder, a user's own among them.
std::string TemporaryFolder() {
    using GetTempPath2Fn = DWORD(WINAPI*)(DWORD, LPWSTR);
    if (const auto tempPath2 = win::KernelProcedure<GetTempPath2Fn>("GetTempPath2W")) {
        wchar_t folder[MAX_PATH + 1];
        const DWORD length = tempPath2(MAX_PATH + 1, folder);
        if (length > 0 && length <= MAX_PATH) return Utf8FromWide(folder, length);
    }
    return WithTrailingBackslash(EnvironmentVariable("Temp"));
}

// The system folder: the interpreter is its cmd.exe, started by its full path and working
// there. "ComSpec" is the user's to set (a process of the same user may write
// HKCU\Environment without elevation), and would name the program the elevated setup runs.
std::string SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return Utf8FromWide(folder, length);
}

void RunHidden(const std::string& interpreter, const std::string& commandLine, const std::string& folder,
               DWORD timeoutMs) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started{};
    // The wide call may write into the command line, and takes a user name in "Temp" of
    // any script. The program is named apart from its command line, so that no search for
    // it takes place.
    WideText mutableLine = WideFromUtf8(commandLine);
    if (!::CreateProcessW(WideFromUtf8(interpreter).data(), mutableLine.data(), nullptr, nullptr, FALSE,
                          CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP, nullptr,
                          WideFromUtf8(folder).data(), &startup, &started))
        return;
    win::UniqueHandle process(started.hProcess);
    win::UniqueHandle thread(started.hThread);
    if (::WaitForSingleObject(process.Get(), timeoutMs) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.Get(), ERROR_TIMEOUT);
        // Termination is asynchronous; the output file stays open until the process is gone.
        ::WaitForSingleObject(process.Get(), 2000);
    }
}

std::string ReadFileContent(HANDLE file) {
    std::string content;
    if (::SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return content;
    char buffer[4096];
    DWORD read = 0;
    while (content.size() < kMaxOutputBytes && ::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    return content;
}

struct FileIdentity {
    DWORD volume = 0, high = 0, low = 0;
    bool operator==(const FileIdentity& o) const { return volume == o.volume && high == o.high && low == o.low; }
};

std::optional<FileIdentity> IdentityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(file, &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// Removes the output file. The reserving handle does not share deletion, so the file is
// reopened under its name for the delete once that handle is closed, and deleted through
// the new handle only when it is still the same file: a link put in its place meanwhile
// is never followed.
void RemoveOutputFile(win::UniqueFile& reserved, const std::string& path) {
    const std::optional<FileIdentity> identity = IdentityOf(reserved.Get());
    reserved.Reset();
    if (!files::ActsByHandle()) {
        ::DeleteFileW(WidePath(path).data());
        return;
    }
    win::UniqueFile removing(::CreateFileW(WidePath(path).data(), DELETE | FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (removing && identity && IdentityOf(removing.Get()) == identity) files::DeleteByHandle(removing.Get());
}

}  // namespace

struct PendingCapture::Run {
    std::string outputFile;
    win::UniqueFile output;  // the reserved output file, read and removed through this handle
    std::string interpreter;
    std::string folder;  // the interpreter's working folder
    std::string commandLine;
    DWORD timeoutMs = 0;
    win::UniqueHandle thread;
    std::string printed;  // the file as the interpreter left it; written by the thread
    std::string text;
    bool ready = false;  // `text` is final

    // On the capture's thread, or on the caller's when no thread could be started. Calls
    // kernel32 only: the delay-loaded DLLs are bound on the main thread.
    void Execute() noexcept {
        try {
            RunHidden(interpreter, commandLine, folder, timeoutMs);
            printed = ReadFileContent(output.Get());
        } catch (...) {
            // Out of memory: the output stays empty, the file is still removed.
        }
        try {
            RemoveOutputFile(output, outputFile);
        } catch (...) {
        }
    }
    static DWORD WINAPI ThreadMain(void* parameter) {
        static_cast<Run*>(parameter)->Execute();
        return 0;
    }

    void Wait() {
        if (!thread) return;
        ::WaitForSingleObject(thread.Get(), INFINITE);
        thread.Reset();
    }
};

PendingCapture::PendingCapture(const std::string& command, const CaptureSettings& settings)
    : run_(std::make_unique<Run>()) {
    run_->ready = true;
    run_->folder = SystemFolder();
    if (run_->folder.empty()) return;
    const char* chosen = settings.interpreter ? settings.interpreter : seams::interpreter;
    run_->interpreter = chosen ? std::string(chosen) : run_->folder + "\\cmd.exe";
    run_->output = ReserveOutputFile(TemporaryFolder(), settings.random ? settings.random : Random, run_->outputFile);
    if (!run_->output) {
        run_->text = JoinTextLines(std::string());
        return;
    }
    run_->commandLine = ConsoleCommandLine(run_->interpreter, command, run_->outputFile);
    run_->timeoutMs = settings.timeoutMs;
    run_->ready = false;
    run_->thread.Reset(::CreateThread(nullptr, 0, Run::ThreadMain, run_.get(), 0, nullptr));
    if (!run_->thread) run_->Execute();
}

PendingCapture::~PendingCapture() { run_->Wait(); }

const std::string& PendingCapture::Output() {
    if (!run_->ready) {
        run_->Wait();
        run_->text = ConvertOemToAnsi(JoinTextLines(run_->printed));
        run_->ready = true;
    }
    return run_->text;
}

std::string CaptureConsoleOutput(const std::string& command, const CaptureSettings& settings) {
    PendingCapture capture(command, settings);
    return capture.Output();
}

std::string ConvertOemToAnsi(const std::string& text) {
    if (text.empty()) return std::string();
    std::vector<char> converted(text.size() + 1, '\0');
    ::OemToCharA(text.c_str(), converted.data());
    return std::string(converted.data(), text.size());
}

}  // namespace sysinfo

#include "sysinfo/console_capture.h"

#include <windows.h>

#include <vector>

#include "base/path_text.h"
#include "base/random.h"
#include "base/system.h"
#include "base/wide_text.h"
#include "base/win32.h"
#include "sysinfo/console_text.h"

namespace sysinfo {
namespace {

constexpr int kNameLetters = 8;
// 26^8 names: repeated collisions mean a stuck generator, not bad luck.
constexpr int kNameAttempts = 16;
// "ver" prints one line; a runaway command must not fill the memory of the setup.
constexpr DWORD kMaxOutputBytes = 1 << 20;

// Creating the file exclusively reserves the name: an existing file of the same name is
// never overwritten by the redirection, a new name is drawn instead.
std::string ReserveOutputFile(const std::string& folder, unsigned (*random)(unsigned)) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string path = folder;
        for (int i = 0; i < kNameLetters; ++i) path += static_cast<char>('a' + random(26));
        win::UniqueFile file(::CreateFileW(WidePath(path).data(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return path;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    return std::string();
}

void RunHidden(const std::string& commandLine, DWORD timeoutMs) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started{};
    // The wide call may write into the command line, and takes a user name in "Temp" of
    // any script.
    WideText mutableLine = WideFromUtf8(commandLine);
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE,
                          CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &started))
        return;
    win::UniqueHandle process(started.hProcess);
    win::UniqueHandle thread(started.hThread);
    if (::WaitForSingleObject(process.Get(), timeoutMs) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.Get(), ERROR_TIMEOUT);
        // Termination is asynchronous; the output file stays open until the process is gone.
        ::WaitForSingleObject(process.Get(), 2000);
    }
}

std::string ReadFileContent(const std::string& path) {
    win::UniqueFile file(::CreateFileW(WidePath(path).data(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string content;
    if (!file) return content;
    char buffer[4096];
    DWORD read = 0;
    while (content.size() < kMaxOutputBytes && ::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    return content;
}

}  // namespace

struct PendingCapture::Run {
    std::string outputFile;
    std::string commandLine;
    DWORD timeoutMs = 0;
    win::UniqueHandle thread;
    std::string printed;  // the file as the interpreter left it; written by the thread
    std::string output;
    bool ready = false;  // `output` is final

    // On the capture's thread, or on the caller's when no thread could be started. Calls
    // kernel32 only: the delay-loaded DLLs are bound on the main thread.
    void Execute() noexcept {
        try {
            RunHidden(commandLine, timeoutMs);
            printed = ReadFileContent(outputFile);
        } catch (...) {
            // Out of memory: the output stays empty, the file is still removed.
        }
        try {
            ::DeleteFileW(WidePath(outputFile).data());
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
    wchar_t interpreter[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"ComSpec", interpreter, MAX_PATH);
    // A value that does not fit (the call then returns the size it needs) is no usable path.
    if (length == 0 || length >= MAX_PATH) return;

    run_->outputFile = ReserveOutputFile(WithTrailingBackslash(EnvironmentVariable("Temp")),
                                         settings.random ? settings.random : Random);
    if (run_->outputFile.empty()) {
        run_->output = JoinTextLines(std::string());
        return;
    }
    run_->commandLine = ConsoleCommandLine(Utf8FromWide(interpreter, length), command, run_->outputFile);
    run_->timeoutMs = settings.timeoutMs;
    run_->ready = false;
    run_->thread.Reset(::CreateThread(nullptr, 0, Run::ThreadMain, run_.get(), 0, nullptr));
    if (!run_->thread) run_->Execute();
}

PendingCapture::~PendingCapture() { run_->Wait(); }

const std::string& PendingCapture::Output() {
    if (!run_->ready) {
        run_->Wait();
        run_->output = ConvertOemToAnsi(JoinTextLines(run_->printed));
        run_->ready = true;
    }
    return run_->output;
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

// The console command capture against the real command interpreter of Wine and against
// fake_interpreter.exe, which reports how it was started.
#include "sysinfo/console_capture.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <set>
#include <string>

#include "base/win32.h"
#include "tests/harness/harness.h"

namespace {

using sysinfo::CaptureConsoleOutput;
using sysinfo::CaptureSettings;

std::optional<std::string> Environment(const char* name) {
    const DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) return std::nullopt;
    std::string value(size, '\0');
    value.resize(::GetEnvironmentVariableA(name, &value[0], size));
    return value;
}

// Sets an environment variable of this process for one test.
class EnvironmentSetting {
public:
    EnvironmentSetting(const char* name, std::optional<std::string> value) : name_(name), old_(Environment(name)) {
        ::SetEnvironmentVariableA(name, value ? value->c_str() : nullptr);
    }
    ~EnvironmentSetting() { ::SetEnvironmentVariableA(name_, old_ ? old_->c_str() : nullptr); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// The names the capture draws, letter by letter.
std::string scriptedLetters;
size_t scriptedAt = 0;
unsigned ScriptedRandom(unsigned range) {
    const char letter = scriptedLetters[scriptedAt++ % scriptedLetters.size()];
    return static_cast<unsigned>(letter - 'a') % range;
}
std::string FakeInterpreter() { return BinFolderA() + "\\fake_interpreter.exe"; }

// A capture by fake_interpreter.exe, with the file names drawn from `letters`.
CaptureSettings Scripted(const std::string& letters, unsigned long timeoutMs = 10000) {
    static const std::string fake = FakeInterpreter();
    scriptedLetters = letters;
    scriptedAt = 0;
    CaptureSettings settings;
    settings.random = ScriptedRandom;
    settings.timeoutMs = timeoutMs;
    settings.interpreter = fake.c_str();
    return settings;
}

std::string SystemFolder() {
    char folder[MAX_PATH] = {};
    return std::string(folder, ::GetSystemDirectoryA(folder, MAX_PATH));
}

std::string TempFolder() {
    std::string folder = Environment("Temp").value_or("");
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

std::set<std::string> TempNames() {
    const std::vector<std::string> names = ListFolder(TempFolder());
    return std::set<std::string>(names.begin(), names.end());
}

TEST(ConsoleCapture, VerOfTheRealInterpreterLeavesNoFile) {
    const std::set<std::string> before = TempNames();
    const std::string output = CaptureConsoleOutput("ver");
    // Wine's cmd prints "Microsoft Windows 6.1.7601" after an empty line, as Windows does
    // with its "[Version ...]".
    EXPECT_EQ(output.rfind("\r\nMicrosoft Windows ", 0), 0u) << output;
    EXPECT_EQ(output.substr(output.size() - 2), "\r\n");
    EXPECT_EQ(TempNames(), before);
}

// "ComSpec" is the user's to set; the elevated setup must never start what it names.
TEST(ConsoleCapture, TheSystemInterpreterRunsWhateverComSpecNames) {
    const std::set<std::string> before = TempNames();
    const std::string log = TempFolder() + "planted-interpreter.log";
    ::DeleteFileA(log.c_str());
    {
            EnvironmentSetting logSetting("FAKE_INTERPRETER_LOG", log);
        EXPECT_EQ(CaptureConsoleOutput("ver").rfind("\r\nMicrosoft Windows ", 0), 0u);
        EnvironmentSetting noComSpec("ComSpec", std::nullopt);
        EXPECT_EQ(CaptureConsoleOutput("ver").rfind("\r\nMicrosoft Windows ", 0), 0u);
    }
    EXPECT_FALSE(PathExists(log)) << ReadWholeFile(log);
    {
        // An interpreter that cannot start leaves its file empty.
        const std::string missing = "C:\\" + std::string(256, 'x');
        CaptureSettings settings;
        settings.interpreter = missing.c_str();
        EXPECT_EQ(CaptureConsoleOutput("ver", settings), "\r\n");
    }
    EXPECT_EQ(TempNames(), before);
}

TEST(ConsoleCapture, StartedHiddenInANewConsoleInTheSystemFolderWithTheExactCommandLine) {
    const std::string file = TempFolder() + "reportab";
    const std::string output = CaptureConsoleOutput("report", Scripted("reportab"));
    std::string expectedOem = "\x80\x81\x82\x83\x84\x85\x86\x87";
    expectedOem = sysinfo::ConvertOemToAnsi(expectedOem);
    EXPECT_EQ(output, "command=\"" + FakeInterpreter() + "\" /d /c report > \"" + file + "\"\r\n" +
                          "flags=0x1\r\n"  // STARTF_USESHOWWINDOW
                          "show=0\r\n"     // SW_HIDE
                          "console=yes\r\n"
                          "folder=" + SystemFolder() + "\r\n"
                          "oem=" + expectedOem + "\r\n");
    EXPECT_FALSE(PathExists(file));
}

TEST(ConsoleCapture, AnExistingFileIsNeverOverwritten) {
    const std::string taken = TempFolder() + "aaaaaaaa";
    ASSERT_TRUE(WriteBytes(taken, "keep me"));
    const std::string output = CaptureConsoleOutput("report", Scripted("aaaaaaaabbbbbbbb"));
    EXPECT_NE(output.find(" > \"" + TempFolder() + "bbbbbbbb\""), std::string::npos) << output;
    EXPECT_EQ(ReadWholeFile(taken), "keep me");
    EXPECT_FALSE(PathExists(TempFolder() + "bbbbbbbb"));
    ::DeleteFileA(taken.c_str());
}

TEST(ConsoleCapture, WithoutAUsableTempFolderNothingIsStarted) {
    EnvironmentSetting temp("Temp", "C:\\no-such-folder-for-sysinfo");
    const std::string log = TempFolder() + "fake-interpreter-unused.log";
    ::DeleteFileA(log.c_str());
    EnvironmentSetting logSetting("FAKE_INTERPRETER_LOG", log);
    EXPECT_EQ(CaptureConsoleOutput("report", Scripted("abcdefgh")), "\r\n");
    EXPECT_FALSE(PathExists(log));
}

TEST(ConsoleCapture, AHangingInterpreterIsEndedAndItsOutputKept) {
    const DWORD start = ::GetTickCount();
    const std::string output = CaptureConsoleOutput("hang", Scripted("hanging", 1500));
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_GE(elapsed, 1400u);
    EXPECT_LT(elapsed, 8000u);
    ASSERT_EQ(output.rfind("pid=", 0), 0u) << output;
    EXPECT_EQ(output.substr(output.size() - 2), "\r\n");
    const DWORD pid = std::stoul(output.substr(4));
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process) {
        EXPECT_EQ(::WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "the interpreter still runs";
        ::CloseHandle(process);
    }
    EXPECT_FALSE(PathExists(TempFolder() + "hangingh"));
}

TEST(PendingCapture, RunsBesideTheCallerAndRemovesItsFileWithOrWithoutOutput) {
    win::UniqueHandle go(::CreateEventA(nullptr, TRUE, FALSE, "TarnwickFakeInterpreterGo"));
    ASSERT_TRUE(go);
    {
        // The interpreter waits for the event that is set only once the capture has
        // returned to its caller.
        sysinfo::PendingCapture capture("wait", Scripted("waitinga"));
        EXPECT_TRUE(PathExists(TempFolder() + "waitinga"));
        ::SetEvent(go.Get());
        EXPECT_EQ(capture.Output(), "released\r\n");
        EXPECT_EQ(capture.Output(), "released\r\n");
        EXPECT_FALSE(PathExists(TempFolder() + "waitinga"));
    }
    ::ResetEvent(go.Get());
    {
        sysinfo::PendingCapture capture("wait", Scripted("waitingb"));
        ::SetEvent(go.Get());
    }
    // Left without its output, the capture still waited for the interpreter.
    EXPECT_FALSE(PathExists(TempFolder() + "waitingb"));
    {
        // A capture that names no interpreter takes the one of the seam.
        const std::string fake = FakeInterpreter();
        sysinfo::seams::interpreter = fake.c_str();
        ::SetEvent(go.Get());
        sysinfo::PendingCapture capture("wait");
        EXPECT_EQ(capture.Output(), "released\r\n");
        sysinfo::seams::interpreter = nullptr;
    }
}

TEST(OemToAnsi, SameAsTheCodePageConversionAndAsLong) {
    std::string oem;
    for (int c = 1; c < 256; ++c) oem += static_cast<char>(c);
    // The same conversion through UTF-16, with the best-fit mapping that OemToCharA uses.
    wchar_t wide[256] = {};
    char ansi[256] = {};
    const int wideLength = ::MultiByteToWideChar(CP_OEMCP, 0, oem.data(), 255, wide, 256);
    ASSERT_EQ(wideLength, 255);
    ASSERT_EQ(::WideCharToMultiByte(CP_ACP, 0, wide, wideLength, ansi, 256, nullptr, nullptr), 255);
    EXPECT_EQ(sysinfo::ConvertOemToAnsi(oem), std::string(ansi, 255));
    EXPECT_EQ(sysinfo::ConvertOemToAnsi(""), "");
    EXPECT_EQ(sysinfo::ConvertOemToAnsi(std::string("a\0b", 3)), std::string("a\0\0", 3));
}

}  // namespace

// Stands in for the system's command interpreter where a test names it. The capture
// starts it as
//   "fake_interpreter.exe" /d /c COMMAND > "FILE"
// and it writes into FILE what the redirection of a real interpreter would, by COMMAND:
//   report  how it was started: its command line, the show-window request, whether it has
//           a console of its own, its working folder, and a line of OEM bytes 0x80 to 0x87
//   hang    a line, then nothing for a minute (the capture must end it)
//   wait    "released" once the event "TarnwickFakeInterpreterGo" is set, "not released"
//           when it is not set within 20 seconds
// With FAKE_INTERPRETER_LOG set it first appends a line to that file for each start;
// with FAKE_INTERPRETER_FORWARD set it then runs that interpreter with its own arguments
// instead, the same way it was started itself.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Environment(const char* name) {
    char value[1024];
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// The command line without the program part, as the runtime splits it.
std::string Arguments(const std::string& commandLine) {
    size_t at = 0;
    bool quoted = false;
    while (at < commandLine.size() && (quoted || commandLine[at] != ' ')) {
        if (commandLine[at] == '"') quoted = !quoted;
        ++at;
    }
    return commandLine.substr(at);
}

void Append(const std::string& path, const std::string& text) {
    HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace

int main() {
    const std::string commandLine = ::GetCommandLineA();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);

    char line[512];
    const std::string log = Environment("FAKE_INTERPRETER_LOG");
    if (!log.empty()) {
        std::snprintf(line, sizeof line, "flags=0x%lX show=%u | ", startup.dwFlags, startup.wShowWindow);
        Append(log, line + commandLine + "\r\n");
    }

    const std::string forward = Environment("FAKE_INTERPRETER_FORWARD");
    if (!forward.empty()) {
        std::string forwarded = forward + Arguments(commandLine);
        PROCESS_INFORMATION started{};
        if (!::CreateProcessA(nullptr, &forwarded[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
            return 9009;
        ::WaitForSingleObject(started.hProcess, INFINITE);
        DWORD code = 1;
        ::GetExitCodeProcess(started.hProcess, &code);
        ::CloseHandle(started.hThread);
        ::CloseHandle(started.hProcess);
        return static_cast<int>(code);
    }

    const size_t open = commandLine.find("> \"");
    if (open == std::string::npos) return 2;
    const std::string file = commandLine.substr(open + 3, commandLine.find('"', open + 3) - open - 3);
    const std::string command = commandLine.substr(commandLine.find(" /c ") + 4, open - commandLine.find(" /c ") - 5);

    if (command == "report") {
        DWORD mode = 0;
        const bool console = ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
        char folder[MAX_PATH] = {};
        ::GetCurrentDirectoryA(MAX_PATH, folder);
        std::snprintf(line, sizeof line, "flags=0x%lX\r\nshow=%u\r\nconsole=%s\r\nfolder=%s\r\n", startup.dwFlags,
                      startup.wShowWindow, console ? "yes" : "no", folder);
        Append(file, "command=" + commandLine + "\r\n" + line + "oem=\x80\x81\x82\x83\x84\x85\x86\x87\r\n");
        return 0;
    }
    if (command == "wait") {
        HANDLE go = ::CreateEventA(nullptr, TRUE, FALSE, "TarnwickFakeInterpreterGo");
        const bool released = go != nullptr && ::WaitForSingleObject(go, 20000) == WAIT_OBJECT_0;
        Append(file, released ? "released\r\n" : "not released\r\n");
        return 0;
    }
    if (command == "hang") {
        std::snprintf(line, sizeof line, "pid=%lu\n", ::GetCurrentProcessId());
        Append(file, line);
        ::Sleep(60000);
        return 0;
    }
    return 1;
}

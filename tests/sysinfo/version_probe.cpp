// The start-up of the setup in a program of its own, for the Windows version tests:
//   version_probe.exe OUTPUT_FILE
// runs the common start-up and writes into OUTPUT_FILE, one NAME=VALUE a line: the
// description that start-up computed (and discarded), the four flags, whether the shared
// registry accessor sees a key that only the 64-bit view holds, the files that
// start-up and shut-down left in the temporary folder, how long it took, and the description that the
// rules give for the facts read here directly.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "localisation/common.h"
#include "sysinfo/console_capture.h"
#include "sysinfo/console_text.h"
#include "sysinfo/version_rules.h"
#include "sysinfo/windows_version.h"

namespace {

const char kProbeKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\SysinfoProbe64";

std::string startupDescription = "(none)";
void Observe(const std::string& description) { startupDescription = description; }

std::optional<std::string> RegText(const char* path, const char* name, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return std::nullopt;
    char value[512] = {};
    DWORD size = sizeof value - 1;
    DWORD type = REG_NONE;
    const LSTATUS status = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return std::string(value);
}

// "ver" through a pipe of the system's cmd.exe, not through the capture under test.
std::string VerThroughPipe() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return std::string();
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    std::string command = std::string(system) + "\\cmd.exe /c ver";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION started{};
    const BOOL ok = ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                     &startup, &started);
    ::CloseHandle(writeEnd);
    std::string output;
    if (ok) {
        char buffer[512];
        DWORD read = 0;
        while (::ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0) output.append(buffer, read);
        ::WaitForSingleObject(started.hProcess, INFINITE);
        ::CloseHandle(started.hThread);
        ::CloseHandle(started.hProcess);
    }
    ::CloseHandle(readEnd);
    std::string lines = sysinfo::JoinTextLines(output);
    std::vector<wchar_t> wide(lines.size() + 1);
    const int n = ::MultiByteToWideChar(CP_OEMCP, 0, lines.data(), static_cast<int>(lines.size()), wide.data(),
                                        static_cast<int>(wide.size()));
    std::string ansi(lines.size(), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), n, &ansi[0], static_cast<int>(ansi.size()), nullptr, nullptr);
    return ansi;
}

// The facts read with the plain system calls.
class DirectFacts final : public sysinfo::WindowsFacts {
public:
    std::optional<sysinfo::VersionRecord> Version() override {
        OSVERSIONINFOEXA record{};
        record.dwOSVersionInfoSize = sizeof record;
        sysinfo::VersionRecord v;
        v.extended = ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record)) != 0;
        if (!v.extended) {
            record.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
            if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record))) return std::nullopt;
        }
        v.major = record.dwMajorVersion;
        v.minor = record.dwMinorVersion;
        v.build = record.dwBuildNumber;
        v.platformId = record.dwPlatformId;
        v.csdText = record.szCSDVersion;
        v.csdLetter = record.szCSDVersion[1];
        v.suiteMask = record.wSuiteMask;
        v.productType = record.wProductType;
        return v;
    }
    uint16_t Architecture() override {
        SYSTEM_INFO info{};
        ::GetNativeSystemInfo(&info);
        return info.wProcessorArchitecture;
    }
    bool Metric(sysinfo::SystemMetric metric) override { return ::GetSystemMetrics(static_cast<int>(metric)) != 0; }
    std::optional<std::string> ProductName() override {
        return RegText("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName", KEY_WOW64_64KEY);
    }
    std::optional<std::string> ProductOptions() override {
        return RegText("SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType", 0);
    }
    bool HasQ246009Hotfix() override {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009", 0,
                            KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(key);
        return true;
    }
    std::string VerOutput() override { return VerThroughPipe(); }
};

std::string TempFolder() {
    char folder[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableA("Temp", folder, MAX_PATH);
    std::string text(folder, n < MAX_PATH ? n : 0);
    if (!text.empty() && text.back() != '\\') text += '\\';
    return text;
}

std::set<std::string> TempNames() {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((TempFolder() + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.insert(found.cFileName);
    while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return names;
}

const char* YesNo(bool value) { return value ? "1" : "0"; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::set<std::string> before = TempNames();
    sysinfo::ObserveDescriptions(Observe);
    // The interpreter the test puts in place of the system's, to see how it is started.
    static char interpreter[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableA("TW_TEST_INTERPRETER", interpreter, MAX_PATH);
    if (length > 0 && length < MAX_PATH) sysinfo::seams::interpreter = interpreter;
    LARGE_INTEGER frequency, started, ended;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&started);
    common::StartUp(RunOptions{});
    ::QueryPerformanceCounter(&ended);

    TRegistry& registry = common::Registry();
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    const bool view64 = registry.OpenKey(kProbeKey, false);
    registry.CloseKey();
    const bool windows64 = sysinfo::IsWindows64();
    const bool server = sysinfo::IsServer();
    // The family flags may wait for a "ver" that runs beside the start-up; shut-down
    // completes them and removes its file.
    common::ShutDown();
    std::string newFiles;
    for (const std::string& name : TempNames())
        if (!before.count(name)) newFiles += name + " ";

    std::string report = "description=" + startupDescription + "\r\n";
    report += std::string("windows64=") + YesNo(windows64) + "\r\n";
    report += std::string("server=") + YesNo(server) + "\r\n";
    report += std::string("nt6=") + YesNo(sysinfo::IsNt6Family()) + "\r\n";
    report += std::string("nt10=") + YesNo(sysinfo::IsNt10Family()) + "\r\n";
    report += std::string("view64=") + (view64 ? "found" : "absent") + "\r\n";
    report += "temp=" + newFiles + "\r\n";
    report += "startup_ms=" +
              std::to_string((ended.QuadPart - started.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart)) +
              "\r\n";

    DirectFacts facts;
    sysinfo::WindowsFlags flags;
    report += "expected=" + sysinfo::DescribeWindows(facts, false, flags) + "\r\n";
    report += std::string("expected64=") + YesNo(flags.windows64) + "\r\n";

    HANDLE out = ::CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    ::WriteFile(out, report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
    ::CloseHandle(out);
    return 0;
}

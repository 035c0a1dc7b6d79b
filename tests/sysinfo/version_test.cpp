// The Windows description that start-up computes, under the Windows versions that Wine
// can report, in a prefix of its own. A win64 prefix refuses `winecfg -v` for the 32-bit
// only versions (winxp, win2k, nt40, win98); those are given to one program through
// HKCU\Software\Wine\AppDefaults\<program>\Version, and the probe runs as a copy of that
// name. The command interpreter is replaced, through the probe's seam, by
// fake_interpreter.exe, which logs each start and hands the command on to the real cmd.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "tests/harness/harness.h"

namespace {

const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const char kProbeKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\SysinfoProbe64";

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string Environment(const char* name) {
    char value[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableA(name, value, MAX_PATH);
    return n < MAX_PATH ? std::string(value, n) : std::string();
}

std::string WorkFolder() {
    static const std::string folder = [] {
        std::string f = Environment("Temp") + "\\sysinfo-versions\\";
        ::CreateDirectoryA(f.c_str(), nullptr);
        return f;
    }();
    return folder;
}

void RunWinecfg(const std::string& version) {
    const ProcessResult r = RunAndWait(L"C:\\windows\\system32\\winecfg.exe", L"-v " + Wide(version), nullptr, 60000);
    ASSERT_EQ(r.exitCode, 0u) << "winecfg -v " << version;
}

struct ProbeRun {
    DWORD exitCode = 0;
    std::map<std::string, std::string> report;
    std::string interpreterLog;
};

// Runs a copy of the probe named after `name`, with `version` for that copy alone when
// it is not empty.
ProbeRun RunProbe(const std::string& name, const std::string& version) {
    const std::string exe = WorkFolder() + "probe-" + name + ".exe";
    const std::string output = WorkFolder() + name + ".txt";
    const std::string log = WorkFolder() + name + ".log";
    EXPECT_TRUE(::CopyFileA((BinFolderA() + "\\version_probe.exe").c_str(), exe.c_str(), FALSE));
    const std::string appDefaults = "Software\\Wine\\AppDefaults\\probe-" + name + ".exe";
    if (!version.empty()) SetRegString(HKEY_CURRENT_USER, appDefaults, "Version", version, 0);
    ::DeleteFileA(output.c_str());
    ::DeleteFileA(log.c_str());

    // The probe's own interpreter logs each start and hands the command on to the real
    // cmd.exe. "ComSpec", in the environment and in HKCU\Environment where a user may set
    // it, names a planted copy that logs too: it must never start.
    const std::string realInterpreter = Environment("ComSpec");
    const std::string planted = WorkFolder() + "planted-cmd.exe";
    EXPECT_TRUE(::CopyFileA((BinFolderA() + "\\fake_interpreter.exe").c_str(), planted.c_str(), FALSE));
    SetRegString(HKEY_CURRENT_USER, "Environment", "ComSpec", planted, 0);
    ::SetEnvironmentVariableA("ComSpec", planted.c_str());
    ::SetEnvironmentVariableA("TW_TEST_INTERPRETER", (BinFolderA() + "\\fake_interpreter.exe").c_str());
    ::SetEnvironmentVariableA("FAKE_INTERPRETER_FORWARD", realInterpreter.c_str());
    ::SetEnvironmentVariableA("FAKE_INTERPRETER_LOG", log.c_str());
    ProbeRun run;
    run.exitCode = RunAndWait(Wide(exe), Wide("\"" + output + "\""), nullptr, 60000).exitCode;
    ::SetEnvironmentVariableA("ComSpec", realInterpreter.c_str());
    DeleteRegValue(HKEY_CURRENT_USER, "Environment", "ComSpec", 0);
    ::SetEnvironmentVariableA("TW_TEST_INTERPRETER", nullptr);
    ::SetEnvironmentVariableA("FAKE_INTERPRETER_FORWARD", nullptr);
    ::SetEnvironmentVariableA("FAKE_INTERPRETER_LOG", nullptr);
    if (!version.empty()) DeleteRegTree(HKEY_CURRENT_USER, appDefaults, 0);

    const std::string text = ReadWholeFile(output);
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        const size_t equals = line.find('=');
        if (equals != std::string::npos) run.report[line.substr(0, equals)] = line.substr(equals + 1);
        at = end + 2;
    }
    run.interpreterLog = ReadWholeFile(log);
    ::DeleteFileA(exe.c_str());
    return run;
}

class WindowsVersions : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // A key that only the 64-bit view holds: the shared accessor finds it only when
        // start-up chose that view.
        DeleteRegTree(HKEY_LOCAL_MACHINE, kProbeKey, KEY_WOW64_32KEY);
        SetRegString(HKEY_LOCAL_MACHINE, kProbeKey, "UninstallString", "C:\\probe\\unins000.exe", KEY_WOW64_64KEY);
    }
    static void TearDownTestSuite() {
        DeleteRegTree(HKEY_LOCAL_MACHINE, kProbeKey, KEY_WOW64_64KEY);
        RunWinecfg("win7");
    }
};

struct Case {
    const char* version;
    bool prefixWide;  // through winecfg -v, else for the probe alone
    const char* description;
    bool windows64;
    bool nt6;
    bool nt10;
    bool interpreterStarted;
};

const Case kCases[] = {
    {"win10", true, "Microsoft Windows 10 64-bit", true, true, true, true},
    {"win81", true, "Microsoft Windows 8.1 64-bit", true, true, false, true},
    {"win7", true, "Microsoft Windows 7 64-bit Service Pack 1", true, true, false, false},
    {"winxp", false, "Microsoft Windows XP Professional Service Pack 3", false, false, false, false},
    {"win2k", false, "Microsoft Windows 2000 Professional Service Pack 4", false, false, false, false},
    {"nt40", false, "Microsoft Windows NT Workstation Service Pack 6a", false, false, false, false},
    {"win98", false, "Microsoft Windows 98 SE  A ", false, false, false, false},
};

TEST_F(WindowsVersions, StartUpDescriptionFlagsAndRegistryView) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.version);
        if (c.prefixWide)
            RunWinecfg(c.version);
        else
            RunWinecfg("win7");
        const ProbeRun run = RunProbe(c.version, c.prefixWide ? "" : c.version);
        ASSERT_EQ(run.exitCode, 0u);
        std::map<std::string, std::string> r = run.report;
        // What the rules give for the facts that Wine reports to the probe...
        EXPECT_EQ(r["description"], r["expected"]);
        EXPECT_EQ(r["windows64"], r["expected64"]);
        // ...and what that is under each version.
        EXPECT_EQ(r["description"], c.description);
        EXPECT_EQ(r["windows64"], c.windows64 ? "1" : "0");
        EXPECT_EQ(r["server"], "0");
        EXPECT_EQ(r["nt6"], c.nt6 ? "1" : "0");
        EXPECT_EQ(r["nt10"], c.nt10 ? "1" : "0");
        EXPECT_EQ(r["view64"], c.windows64 ? "found" : "absent");
        EXPECT_EQ(r["temp"], "");
        std::printf("%-6s start-up %s ms\n", c.version, r["startup_ms"].c_str());
        if (c.interpreterStarted) {
            // Once, hidden (STARTF_USESHOWWINDOW, SW_HIDE), with /d and the redirection into
            // Temp; the planted "ComSpec" never.
            const std::string start = "flags=0x1 show=0 | \"" + BinFolderA() + "\\fake_interpreter.exe\" /d /c ver > \"" +
                                      Environment("Temp") + "\\";
            EXPECT_EQ(run.interpreterLog.rfind(start, 0), 0u) << run.interpreterLog;
            EXPECT_EQ(run.interpreterLog.size(), start.size() + 8 + 3) << run.interpreterLog;
        } else {
            EXPECT_EQ(run.interpreterLog, "");
        }
    }
}

TEST_F(WindowsVersions, ProductNameThatIsNoStringKeepsTheBuiltName) {
    RunWinecfg("win7");
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key),
              ERROR_SUCCESS);
    char saved[256] = {};
    DWORD size = sizeof saved - 1;
    const LSTATUS status = ::RegQueryValueExA(key, "ProductName", nullptr, nullptr, reinterpret_cast<BYTE*>(saved), &size);
    ::RegCloseKey(key);
    ASSERT_EQ(status, ERROR_SUCCESS);
    SetRegDword(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProductName", 7, KEY_WOW64_64KEY);
    const ProbeRun run = RunProbe("dword-name", "");
    SetRegString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProductName", saved, KEY_WOW64_64KEY);
    ASSERT_EQ(run.exitCode, 0u);
    std::map<std::string, std::string> r = run.report;
    EXPECT_EQ(r["description"], "Microsoft Windows 7  64-bit Service Pack 1");
    EXPECT_EQ(r["windows64"], "1");
    EXPECT_EQ(r["view64"], "found");
}

}  // namespace

#include "setup/entry.h"

#include <windows.h>

#include <new>

#include "base/command_line.h"
#include "base/log.h"
#include "base/system.h"
#include "base/win32.h"
#include "localisation/common.h"
#include "localisation/message_box.h"
#include "setup/sequence.h"

void HardenDllLoading() {
    // Setup programs run elevated from download folders, where a planted DLL waits to
    // be loaded: search System32 only. Windows 7 without KB2533623 lacks the call.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = win::KernelProcedure<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
    if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryA("");
}

namespace {

// Windows 11 and Windows 10 from its 2022 updates on can refuse, for the whole process,
// to follow junctions and links that a user without administrator rights made (the
// redirection of an elevated program's file operations towards "\RPC Control" and
// beyond). The policy cannot be turned off again; elsewhere the call is missing or
// refuses the policy, and nothing changes.
const char* EnforceRedirectionTrust() {
    using SetPolicyFn = BOOL(WINAPI*)(PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);
    using GetPolicyFn = BOOL(WINAPI*)(HANDLE, PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);
    const auto set = win::KernelProcedure<SetPolicyFn>("SetProcessMitigationPolicy");
    const auto get = win::KernelProcedure<GetPolicyFn>("GetProcessMitigationPolicy");
    PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY policy{};
    policy.EnforceRedirectionTrust = 1;
    if (!set || !set(ProcessRedirectionTrustPolicy, &policy, sizeof policy)) return "not available here";
    policy.Flags = 0;
    // Read back: Wine accepts every policy without applying it.
    // (HANDLE)-1 is what GetCurrentProcess gives: this process.
    if (get && get(reinterpret_cast<HANDLE>(-1), ProcessRedirectionTrustPolicy, &policy, sizeof policy) &&
        policy.EnforceRedirectionTrust)
        return "enforced";
    return "asked for, not confirmed by the system";
}

}  // namespace

ExitCode RunProgram() {
    ExitCode code = ExitCode::Environment;
    const char* redirectionTrust = EnforceRedirectionTrust();
    try {
        // The command line is read here once; every step gets what it needs of it.
        const std::string commandLine = CommandLineUtf8();
        const RunOptions options = ParseRunOptions(commandLine);
        if (options.help) {
            // Help reads and writes nothing else: no start-up, no log.
            if (!options.BoxesSuppressed()) ShowHelp(common::UserLanguage());
            return ExitCode::Ok;
        }
        runlog::Open(options.logFile);
        runlog::Write(Text::Fixed("setup started: ") + Text::FromUtf8(OwnPathUtf8()));
        runlog::Write(Text::Fixed("command line: ") + Text::FromUtf8(commandLine));
        runlog::Write(std::string("redirection trust (links of users without administrator rights): ") +
                      redirectionTrust);
        common::StartUp(options);
        packageInfo = BuildPackageInfo();
        runlog::Write("package: " + packageInfo.baseName + ", kind " + packageInfo.kind + ", version " +
                      std::to_string(packageInfo.version));
        code = RunSetupSequence(options);
    } catch (const std::bad_alloc&) {
        // Out of memory before any step could report: nothing was written.
        code = ExitCode::Environment;
    }
    common::ShutDown();
    runlog::Write("exit code: " + std::to_string(static_cast<int>(code)));
    runlog::Close();
    return code;
}

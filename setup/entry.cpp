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

ExitCode RunProgram() {
    ExitCode code = ExitCode::Environment;
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

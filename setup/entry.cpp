#include "setup/entry.h"

#include <windows.h>

#include <new>

#include "base/command_line.h"
#include "base/win32.h"
#include "localisation/common.h"
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
        const RunOptions options = ParseRunOptions(::GetCommandLineA());
        common::StartUp();
        packageInfo = BuildPackageInfo();
        code = RunSetupSequence(options);
    } catch (const std::bad_alloc&) {
        // Out of memory before any step could report: nothing was written.
        code = ExitCode::Environment;
    }
    common::ShutDown();
    return code;
}

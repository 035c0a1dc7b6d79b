#include "setup/entry.h"

#include <windows.h>

#include <new>

#include "localisation/common.h"
#include "setup/sequence.h"

void HardenDllLoading() {
    // Setup programs run elevated from download folders, where a planted DLL waits to
    // be loaded: search System32 only. Windows 7 without KB2533623 lacks the call.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                   reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                             : nullptr;
    if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryA("");
}

ExitCode RunProgram() {
    ExitCode code = ExitCode::Environment;
    try {
        common::StartUp(::GetCommandLineA());
        packageInfo = BuildPackageInfo();
        code = RunSetupSequence();
    } catch (const std::bad_alloc&) {
        // Out of memory before any step could report: nothing was written.
        code = ExitCode::Environment;
    }
    common::ShutDown();
    return code;
}

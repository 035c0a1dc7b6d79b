// The program's run from start-up to shut-down, shared by setup.exe and its test builds.
#pragma once

#include "base/errors.h"

// Makes DLL loading safe; the first thing the process does.
void HardenDllLoading();

// Start-up, the setup sequence and shut-down; gives the exit code.
ExitCode RunProgram();

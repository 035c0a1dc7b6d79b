// The setup sequence: from discovery to the started application.
#pragma once

#include "base/command_line.h"
#include "base/errors.h"
#include "setup/package_info.h"

extern PackageInfo packageInfo;

// Runs the sequence once and gives how it ended. Every failure is shown once, here.
ExitCode RunSetupSequence(const RunOptions& options);

// The setup sequence: from discovery to the started application.
#pragma once

#include "localisation/errors.h"
#include "setup/package_info.h"

extern PackageInfo packageInfo;

// Runs the sequence once and gives how it ended.
ExitCode RunSetupSequence();

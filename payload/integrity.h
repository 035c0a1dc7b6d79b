// The setup file's check of its own payload: every payload resource against the
// checksum the build stored beside it.
#pragma once

// Raises SetupError with the damaged-file pair and ExitCode::IntegrityFailed when the
// setup file cannot be used.
void CheckSetupIntegrity();

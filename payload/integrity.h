// The setup file's check of its own payload: every payload resource against the
// checksum the build stored beside it.
#pragma once

// Gives false after it has shown why the setup file cannot be used.
bool CheckSetupIntegrity();

// The topmost progress window, run on a thread of its own.
#pragma once

#include <string>

// Shows the window with these texts; the first call starts the window's thread.
void ShowProgress(const std::string& caption, const std::string& labelText);
// Hides the window; does nothing while there is none.
void HideProgress();

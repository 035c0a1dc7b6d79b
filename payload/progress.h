// The topmost progress window, run on a thread of its own. One window per process; it
// stays until the process ends.
#pragma once

#include <string>

// Shows the window with these texts. The first call starts the window's thread; a
// call made while the window is still coming up only replaces the texts it will show.
// A thread that cannot be created leaves no window and is not reported.
void ShowProgress(const std::string& caption, const std::string& labelText);
// Hides the window; does nothing while there is none.
void HideProgress();
// The two steps with which ShowProgress replaces the texts of a window that is up.
void SetProgressCaption(const std::string& text);
void SetProgressLabel(const std::string& text);

// The common start-up module: the process-wide values that every later step takes
// for granted. Start-up runs before the setup sequence, shut-down after it; all of it
// belongs to the main thread.
#pragma once

#include "base/command_line.h"
#include "base/registry.h"
#include "base/text.h"

namespace common {

extern bool russianUi;        // the user's default locale is one of the Cyrillic set
extern bool boxesSuppressed;  // quiet, with "/suppressmsgboxes": no box is shown at all

// The language of the error box and the install question, by the Russian-UI flag.
inline Language UiLanguage() { return russianUi ? Language::Russian : Language::English; }

// The language of the user's default locale, asked of the system (before start-up too).
Language UserLanguage();

// The one registry accessor of the run, for reading; valid between StartUp and ShutDown.
TRegistry& Registry();
// Its view: KEY_WOW64_64KEY on 64-bit Windows, 0 elsewhere.
REGSAM RegistryView();

// Seeds the random generator, sets the Russian-UI flag and the suppression of boxes,
// identifies Windows (which decides the registry view) and creates the registry
// accessor.
void StartUp(const RunOptions& options);
// Releases the accessor and waits for a "ver" of the identification that may still run.
void ShutDown();

}  // namespace common

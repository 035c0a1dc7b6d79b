// The common start-up module: the process-wide values that every later step takes
// for granted. Start-up runs before the setup sequence, shut-down after it; all of it
// belongs to the main thread.
#pragma once

#include <string>

#include "localisation/registry.h"

namespace common {

extern bool russianUi;              // the user's default locale is one of the Cyrillic set
extern std::string firstParameter;  // command-line parameter 1, A..Z lower-cased
// Captions of the error box, set when the setup sequence starts.
extern std::string russianDisplayName;
extern std::string englishDisplayName;

// The one registry accessor of the run; valid between StartUp and ShutDown.
TRegistry& Registry();

// Seeds the random generator, sets the Russian-UI flag, identifies Windows (which
// decides the registry view), creates the registry accessor and keeps parameter 1.
void StartUp(const std::string& commandLine);
void ShutDown();

// Uniform in [0, range): the generator seeded at start-up.
unsigned Random(unsigned range);

}  // namespace common

// Placeholder until the progress window lands.
#include "payload/progress.h"

void ShowProgress(const std::string&, const std::string&) {}
void HideProgress() {}

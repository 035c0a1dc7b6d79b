// The error box and the yes/no questions. Both are shown through the wide-character
// calls, each piece of the text converted from its own code page.
#pragma once

#include "base/text.h"

// Whether anyone can see a box: the process's window station is the interactive one
// of a session. Deployment tools run setups as the system account in session 0, where
// a box would wait for an answer for ever. Asked of the system once, and logged.
bool SomeoneCanSeeBoxes();

// Shows the English or the Russian text by the Russian-UI flag, with that language's
// display name as the caption; the box's own result is ignored. With boxes suppressed,
// or where nobody can see them, only the log hears of it.
void ShowError(const MessagePair& message);

// A task-modal, topmost yes/no question with no owner, in the given language, under
// that language's caption; only IDYES counts as yes. Russian questions carry the
// Russian language id. With boxes suppressed, or where nobody can see them, nothing is
// asked and the answer is no.
bool Ask(const QuestionPair& question, Language language);

// How to call the setup: one information box, where someone can see it.
void ShowHelp(Language language);

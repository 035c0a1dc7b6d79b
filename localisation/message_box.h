// The error box and the yes/no questions. Both are shown through the wide-character
// calls, each piece of the text converted from its own code page.
#pragma once

#include <vector>

#include "base/text.h"

// The single-byte texts converted to UTF-16, piece by piece, NUL-terminated.
std::vector<wchar_t> Widen(const Text& text);

// Shows the English or the Russian text by the Russian-UI flag, with that language's
// display name as the caption; the box's own result is ignored.
void ShowError(const MessagePair& message);

// A task-modal, topmost yes/no question with no owner, in the given language, under
// that language's caption; only IDYES counts as yes. Russian questions carry the
// Russian language id.
bool Ask(const QuestionPair& question, Language language);

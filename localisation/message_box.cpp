#include "localisation/message_box.h"

#include <windows.h>

#include "base/log.h"
#include "base/wide_text.h"
#include "localisation/common.h"
#include "localisation/messages.h"

namespace {

constexpr UINT kErrorStyle = MB_SERVICE_NOTIFICATION | MB_ICONERROR;  // 0x200010
constexpr UINT kQuestionStyle = MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL | MB_TOPMOST;  // 0x42024
constexpr UINT kHelpStyle = MB_OK | MB_ICONINFORMATION | MB_TASKMODAL;
constexpr WORD kRussianLanguage = MAKELANGID(LANG_RUSSIAN, SUBLANG_NEUTRAL);  // 0x0019

int Show(const Text& text, const Text& caption, UINT style, Language language) {
    if (language == Language::Russian)
        return ::MessageBoxExW(nullptr, Widen(text).data(), Widen(caption).data(), style, kRussianLanguage);
    return ::MessageBoxW(nullptr, Widen(text).data(), Widen(caption).data(), style);
}

}  // namespace

void ShowError(const MessagePair& message) {
    if (common::boxesSuppressed) {
        runlog::Write(Text::Fixed("error (no box: boxes suppressed): ") + message.english);
        return;
    }
    runlog::Write(Text::Fixed("error shown: ") + message.english);
    const Language language = common::UiLanguage();
    Show(message.In(language), messages::DisplayName().In(language), kErrorStyle, language);
}

bool Ask(const QuestionPair& question, Language language) {
    const Text& text = question.text.In(language);
    if (common::boxesSuppressed) {
        runlog::Write(Text::Fixed("question not asked, boxes suppressed; taken as no: ") + text);
        return false;
    }
    const bool yes = Show(text, question.caption.In(language), kQuestionStyle, language) == IDYES;
    runlog::Write(Text::Fixed("question: ") + text + (yes ? " - answer: yes" : " - answer: no"));
    return yes;
}

void ShowHelp(Language language) {
    const MessagePair help = messages::Help();
    Show(help.In(language), messages::DisplayName().In(language), kHelpStyle, language);
}

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

// Why no box is shown, or null when one may be.
const char* WhyNoBox() {
    if (common::boxesSuppressed) return "boxes suppressed";
    if (!SomeoneCanSeeBoxes()) return "nobody can see it";
    return nullptr;
}

}  // namespace

bool SomeoneCanSeeBoxes() {
    static const bool visible = [] {
        USEROBJECTFLAGS flags{};
        // A window station that cannot be asked is taken as one that can be seen, as
        // every run took it before.
        if (!::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, nullptr))
            return true;
        const bool interactive = (flags.dwFlags & WSF_VISIBLE) != 0;
        if (!interactive)
            runlog::Write("window station: not interactive, nobody can see a box: errors go to the log only, "
                          "questions are answered no");
        return interactive;
    }();
    return visible;
}

void ShowError(const MessagePair& message) {
    if (const char* why = WhyNoBox()) {
        runlog::Write(Text::Fixed("error (no box: ") + why + "): " + message.english);
        return;
    }
    runlog::Write(Text::Fixed("error shown: ") + message.english);
    const Language language = common::UiLanguage();
    Show(message.In(language), messages::DisplayName().In(language), kErrorStyle, language);
}

bool Ask(const QuestionPair& question, Language language) {
    const Text& text = question.text.In(language);
    if (const char* why = WhyNoBox()) {
        runlog::Write(Text::Fixed("question not asked, ") + why + "; taken as no: " + text);
        return false;
    }
    const bool yes = Show(text, question.caption.In(language), kQuestionStyle, language) == IDYES;
    runlog::Write(Text::Fixed("question: ") + text + (yes ? " - answer: yes" : " - answer: no"));
    return yes;
}

void ShowHelp(Language language) {
    if (!SomeoneCanSeeBoxes()) return;
    const MessagePair help = messages::Help();
    Show(help.In(language), messages::DisplayName().In(language), kHelpStyle, language);
}

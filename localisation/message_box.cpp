#include "localisation/message_box.h"

#include <windows.h>

#include "localisation/common.h"
#include "localisation/messages.h"

namespace {

constexpr UINT kErrorStyle = MB_SERVICE_NOTIFICATION | MB_ICONERROR;  // 0x200010
constexpr UINT kQuestionStyle = MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL | MB_TOPMOST;  // 0x42024
constexpr WORD kRussianLanguage = MAKELANGID(LANG_RUSSIAN, SUBLANG_NEUTRAL);  // 0x0019

void AppendWide(const TextPiece& piece, std::vector<wchar_t>& out) {
    const UINT codePage = piece.charset == Charset::Cp1251 ? 1251 : CP_ACP;
    const int length = static_cast<int>(piece.bytes.size());
    const int wide = ::MultiByteToWideChar(codePage, 0, piece.bytes.data(), length, nullptr, 0);
    if (wide <= 0) {
        for (unsigned char c : piece.bytes) out.push_back(c);
        return;
    }
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(wide));
    ::MultiByteToWideChar(codePage, 0, piece.bytes.data(), length, out.data() + at, wide);
}

}  // namespace

std::vector<wchar_t> Widen(const Text& text) {
    std::vector<wchar_t> out;
    for (const TextPiece& piece : text.Pieces()) AppendWide(piece, out);
    out.push_back(L'\0');
    return out;
}

namespace {

int Show(const Text& text, const Text& caption, UINT style, Language language) {
    if (language == Language::Russian)
        return ::MessageBoxExW(nullptr, Widen(text).data(), Widen(caption).data(), style, kRussianLanguage);
    return ::MessageBoxW(nullptr, Widen(text).data(), Widen(caption).data(), style);
}

}  // namespace

void ShowError(const MessagePair& message) {
    const Language language = common::UiLanguage();
    Show(message.In(language), messages::DisplayName().In(language), kErrorStyle, language);
}

bool Ask(const QuestionPair& question, Language language) {
    return Show(question.text.In(language), question.caption.In(language), kQuestionStyle, language) == IDYES;
}

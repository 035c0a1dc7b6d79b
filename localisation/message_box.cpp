#include "localisation/message_box.h"

#include <windows.h>

#include "localisation/common.h"

namespace {

constexpr UINT kErrorStyle = MB_SERVICE_NOTIFICATION | MB_ICONERROR;  // 0x200010
constexpr UINT kQuestionStyle = MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL | MB_TOPMOST;  // 0x42024
constexpr WORD kRussianLanguage = MAKELANGID(LANG_RUSSIAN, SUBLANG_NEUTRAL);  // 0x0019

std::wstring WidenPiece(const TextPiece& piece) {
    const UINT codePage = piece.charset == Charset::Cp1251 ? 1251 : CP_ACP;
    const int length = static_cast<int>(piece.bytes.size());
    int wide = ::MultiByteToWideChar(codePage, 0, piece.bytes.data(), length, nullptr, 0);
    if (wide <= 0) return std::wstring(piece.bytes.begin(), piece.bytes.end());
    std::wstring out(static_cast<size_t>(wide), L'\0');
    ::MultiByteToWideChar(codePage, 0, piece.bytes.data(), length, &out[0], wide);
    return out;
}

}  // namespace

std::wstring Widen(const Text& text) {
    std::wstring out;
    for (const TextPiece& piece : text.Pieces()) out += WidenPiece(piece);
    return out;
}

void ShowError(const Text& english, const Text& russian) {
    if (common::russianUi)
        ::MessageBoxExW(nullptr, Widen(russian).c_str(), Widen(Text::Fixed(common::russianDisplayName)).c_str(),
                        kErrorStyle, kRussianLanguage);
    else
        ::MessageBoxW(nullptr, Widen(english).c_str(), Widen(Text::Fixed(common::englishDisplayName)).c_str(),
                      kErrorStyle);
}

bool AskYesNo(const Text& text, const Text& caption, Language language) {
    int answer;
    if (language == Language::Russian)
        answer = ::MessageBoxExW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), kQuestionStyle, kRussianLanguage);
    else
        answer = ::MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), kQuestionStyle);
    return answer == IDYES;
}

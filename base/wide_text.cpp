#include "base/wide_text.h"

#include <windows.h>

#include "base/path_text.h"

namespace {

UINT CodePageOf(Charset charset) {
    switch (charset) {
    case Charset::Cp1251: return 1251;
    case Charset::Utf8: return CP_UTF8;
    case Charset::Ansi: break;
    }
    return CP_ACP;
}

void AppendWide(UINT codePage, const std::string& bytes, WideText& out) {
    if (bytes.empty()) return;
    const int length = static_cast<int>(bytes.size());
    const int wide = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (wide <= 0) {
        // A code page the system lacks: the bytes as Latin-1, rather than nothing.
        for (unsigned char c : bytes) out.push_back(c);
        return;
    }
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(wide));
    ::MultiByteToWideChar(codePage, 0, bytes.data(), length, out.data() + at, wide);
}

}  // namespace

WideText Widen(const Text& text) {
    WideText out;
    for (const TextPiece& piece : text.Pieces()) AppendWide(CodePageOf(piece.charset), piece.bytes, out);
    out.push_back(L'\0');
    return out;
}

std::string ToUtf8(const Text& text) {
    const WideText wide = Widen(text);
    return Utf8FromWide(wide.data(), wide.size() - 1);
}

WideText WideFromUtf8(const std::string& utf8) {
    WideText out;
    AppendWide(CP_UTF8, utf8, out);
    out.push_back(L'\0');
    return out;
}

WideText WidePath(const std::string& utf8Path) {
    WideText wide = WideFromUtf8(utf8Path);
    const std::string extended = ExtendedLengthPath(utf8Path, wide.size() - 1);
    return extended.size() == utf8Path.size() ? wide : WideFromUtf8(extended);
}

std::string Utf8FromWide(const wchar_t* wide, size_t length) {
    if (length == 0) return std::string();
    const int count = static_cast<int>(length);
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, count, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, count, &out[0], size, nullptr, nullptr);
    return out;
}

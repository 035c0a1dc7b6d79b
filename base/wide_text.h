// Texts between their code pages and UTF-16, for the wide-character calls and for the
// log, which is UTF-8 whatever the ANSI code page. Wide texts are NUL-terminated
// vectors: std::wstring would bring the runtime's whole wide-string instantiation
// (35 KiB) into the setup program.
#pragma once

#include <string>
#include <vector>

#include "base/text.h"

using WideText = std::vector<wchar_t>;

// Each piece converted from its own code page.
WideText Widen(const Text& text);
std::string ToUtf8(const Text& text);

WideText WideFromUtf8(const std::string& utf8);
// A UTF-8 path for the wide file calls, in its extended-length form where it is long.
WideText WidePath(const std::string& utf8Path);
std::string Utf8FromWide(const wchar_t* wide, size_t length);

// The start-up rule that needs no Windows: the Cyrillic locale set.
#pragma once

#include <cstdint>

// True for the seven locales whose users get Russian texts. The whole 32-bit value
// counts: sub-language and sort bits are not masked.
bool IsRussianUiLocale(uint32_t lcid);

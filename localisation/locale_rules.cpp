#include "localisation/locale_rules.h"

bool IsRussianUiLocale(uint32_t lcid) {
    switch (lcid) {
    case 1026:  // Bulgarian
    case 1049:  // Russian
    case 1058:  // Ukrainian
    case 1059:  // Belarusian
    case 1087:  // Kazakh
    case 1092:  // Tatar
    case 2073:  // Russian (Moldova)
        return true;
    default:
        return false;
    }
}

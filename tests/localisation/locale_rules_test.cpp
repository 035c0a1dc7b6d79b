#include <gtest/gtest.h>

#include "localisation/locale_rules.h"

TEST(RussianUiLocale, ExactlyTheSevenCyrillicLocalesOfTheSet) {
    for (uint32_t lcid : {1026u, 1049u, 1058u, 1059u, 1087u, 1092u, 2073u}) EXPECT_TRUE(IsRussianUiLocale(lcid)) << lcid;
    // Other Cyrillic-script locales, English, and the set's values with sort bits.
    for (uint32_t lcid : {1088u, 1064u, 3098u, 1033u, 0u, 0x10419u, 0x0019u, 0x0819u + 0x10000u})
        EXPECT_FALSE(IsRussianUiLocale(lcid)) << lcid;
}

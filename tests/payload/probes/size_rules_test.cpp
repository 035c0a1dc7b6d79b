#include <gtest/gtest.h>

#include "payload/size_rules.h"

TEST(FolderIdentities, SecondVisitIsRefusedAndIndexZeroIsUnknown) {
    FolderIdentities listed;
    EXPECT_TRUE(listed.FirstVisit(0x1234, 5));
    EXPECT_FALSE(listed.FirstVisit(0x1234, 5));
    EXPECT_TRUE(listed.FirstVisit(0x1235, 5));  // the same index on another volume
    EXPECT_TRUE(listed.FirstVisit(0x1234, (uint64_t{1} << 32) | 5));  // the high part counts
    EXPECT_TRUE(listed.FirstVisit(0x1234, 0));
    EXPECT_TRUE(listed.FirstVisit(0x1234, 0));
}

TEST(SetAsideName, NamesMatchWithoutRegardToTheCaseOfAsciiLetters) {
    const std::vector<std::string> names = {"tws.pak", "~tws.pak"};
    struct Row {
        const char* name;
        bool setAside;
    };
    const Row rows[] = {
        {"tws.pak", true}, {"TWS.PAK", true}, {"~Tws.Pak", true}, {"tws.pa", false}, {"tws.pak ", false},
        {"xtws.pak", false}, {"~~tws.pak", false}, {"", false}, {"Tws.pak\xc0", false},
    };
    for (const Row& row : rows) EXPECT_EQ(IsSetAsideName(row.name, names), row.setAside) << row.name;
    EXPECT_FALSE(IsSetAsideName("tws.pak", {}));
    // Letters beyond ASCII keep their case: Windows-1251 "\xc0" (А) is not "\xe0" (а).
    EXPECT_FALSE(IsSetAsideName("\xc0.pak", {"\xe0.pak"}));
}

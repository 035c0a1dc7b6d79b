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

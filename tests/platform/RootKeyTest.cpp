#include "ModRegistryRelated.h"

#include <gtest/gtest.h>

using ModRegistryRelated::GetRootKey;
using ModRegistryRelated::RootKeyName;

TEST(RootKey, IndexesMapToThePredefinedRoots) {
    EXPECT_EQ(GetRootKey("0"), static_cast<int32_t>(0x80000000u));
    EXPECT_EQ(RootKeyName, "HKEY_CLASSES_ROOT");
    EXPECT_EQ(GetRootKey("2"), static_cast<int32_t>(0x80000002u));
    EXPECT_EQ(RootKeyName, "HKEY_LOCAL_MACHINE");
    // Index 4 skips the performance-data root.
    EXPECT_EQ(GetRootKey("4"), -2147483643);
    EXPECT_EQ(RootKeyName, "HKEY_CURRENT_CONFIG");
    EXPECT_EQ(GetRootKey("5"), static_cast<int32_t>(0x80000006u));
    EXPECT_EQ(RootKeyName, "HKEY_DYN_DATA");
}

TEST(RootKey, AnythingElseGivesNoRoot) {
    for (const char* index : {"6", "-1", "", "x", "HKEY_CURRENT_USER", "1.5", "0x2", "0X1"}) {
        GetRootKey("1");
        EXPECT_EQ(GetRootKey(index), -1) << index;
        EXPECT_EQ(RootKeyName, "") << index;
    }
}

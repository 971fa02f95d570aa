#include "adapter_detection.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "registry_sandbox.h"

namespace {

TEST(ClassifyAdapterTest, DevicePartsGiveTheirModels) {
    EXPECT_EQ(ClassifyAdapter("VEN_10DE&DEV_0028&SUBSYS_00000000&REV_A1"), 1);
    EXPECT_EQ(ClassifyAdapter("VEN_10DE&DEV_0029&SUBSYS_00000000&REV_A1"), 2);
    EXPECT_EQ(ClassifyAdapter("VEN_10DE&DEV_0100&SUBSYS_00000000&REV_A1"), 3);
    EXPECT_EQ(ClassifyAdapter("VEN_10DE&DEV_0101&SUBSYS_00000000&REV_A1"), 4);
    // Not in device order: 0150 is model 5, 0110 model 6.
    EXPECT_EQ(ClassifyAdapter("VEN_10DE&DEV_0150&SUBSYS_00000000&REV_A1"), 5);
    EXPECT_EQ(ClassifyAdapter("VEN_10DE&DEV_0110&SUBSYS_00000000&REV_A1"), 6);
}

TEST(ClassifyAdapterTest, OnlyTheExactVendorAndDevicePartsCount) {
    EXPECT_EQ(ClassifyAdapter("ven_10de&dev_0028&SUBSYS_00000000&REV_A1"), 0);
    EXPECT_EQ(ClassifyAdapter("ven_10de&DEV_0028&SUBSYS_00000000&REV_A1"), 0);  // the vendor part alone
    EXPECT_EQ(ClassifyAdapter("VEN_10DE&DEV_0020&SUBSYS_00000000&REV_A1"), 0);
    EXPECT_EQ(ClassifyAdapter("VEN_1002&DEV_0028&SUBSYS_00000000&REV_A1"), 0);
    EXPECT_EQ(ClassifyAdapter("VEN_10DE#DEV_0100&SUBSYS_00000000"), 3);  // character 8 is not examined
    EXPECT_EQ(ClassifyAdapter("VEN_10DE&DEV_0028"), 1);                  // nothing after the device part needed
    EXPECT_EQ(ClassifyAdapter("VEN_10DE&DEV_002"), 0);
    EXPECT_EQ(ClassifyAdapter(""), 0);
}

class DetectAdaptersTest : public RegistrySandbox {
protected:
    AdapterTable table_{};
};

TEST_F(DetectAdaptersTest, NoPciKeyGivesAnEmptyTable) {
    DetectAdapters(table_);
    EXPECT_EQ(table_.count, 0);
}

TEST_F(DetectAdaptersTest, KeepsOnlySupportedNamesInEnumerationOrder) {
    const std::set<std::string> supported = {"VEN_10DE&DEV_0110&SUBSYS_00000000&REV_A1",
                                             "VEN_10DE&DEV_0100&SUBSYS_10DE0001&REV_A1",
                                             "VEN_10DE&DEV_0100&SUBSYS_00000000&REV_A1"};
    for (const auto& name : supported) PutKey("Enum\\PCI\\" + name);
    PutKey("Enum\\PCI\\VEN_8086&DEV_7190&SUBSYS_00000000&REV_03");
    PutKey("Enum\\PCI\\VEN_10DE&DEV_0020&SUBSYS_00000000&REV_A1");
    // The order is the registry's own (Wine's is alphabetical, not creation order).
    std::vector<std::string> expected;
    for (const auto& name : SubkeyNames("Enum\\PCI"))
        if (supported.count(name)) expected.push_back(name);

    DetectAdapters(table_);
    ASSERT_EQ(table_.count, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(table_.slots[i], expected[i]);
}

TEST_F(DetectAdaptersTest, ASeventeenthBoardIsLeftOutAndTheTableStaysInBounds) {
    struct Guarded {
        AdapterTable table;
        char guard[64];
    } guarded{};
    std::memset(guarded.guard, 0x5A, sizeof guarded.guard);
    for (int i = 0; i < 20; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Enum\\PCI\\VEN_10DE&DEV_0028&SUBSYS_%08X&REV_A1", i);
        PutKey(name);
    }
    DetectAdapters(guarded.table);
    ASSERT_EQ(guarded.table.count, kAdapterTableSlots);
    for (int i = 0; i < kAdapterTableSlots; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "VEN_10DE&DEV_0028&SUBSYS_%08X&REV_A1", i);
        EXPECT_STREQ(guarded.table.slots[i], name);
    }
    for (unsigned char byte : guarded.guard) ASSERT_EQ(byte, 0x5A) << "written past the table";
}

}  // namespace

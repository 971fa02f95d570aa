// The MODES subtree of a class key after pass 1 alone, and what the passes
// leave alone. A whole board's modes after both passes are in the listings
// under tests/golden/.
#include "display_modes.h"

#include <string>

#include "registry_sandbox.h"

namespace {

const std::string kModes0 = "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\MODES\\";

class DisplayModesTest : public RegistrySandbox {
protected:
    static size_t RefreshKeyCount(const std::string& modes) {
        size_t count = 0;
        for (const char* depth : {"8", "16", "32"}) count += SubkeyNames(modes + depth).size();
        return count;
    }
};

TEST_F(DisplayModesTest, PassOneAloneGivesTheBaseListsAndTheSixteenColourKey) {
    WriteBaseModes(0);
    EXPECT_TRUE(HasString(kModes0 + "4\\640,480", "drv", "vga.drv"));
    EXPECT_TRUE(HasString(kModes0 + "4\\640,480", "vdd", "*vdd"));
    EXPECT_FALSE(GetValue(kModes0 + "4\\640,480", "")) << "the 16-colour key has no refresh list";
    EXPECT_EQ(RefreshKeyCount(kModes0), 24u);
    EXPECT_TRUE(HasString(kModes0 + "8\\1024,768", "", "60,70,72,75,85,100,120,140,144,150,170"));
    EXPECT_TRUE(HasString(kModes0 + "8\\800,600", "", "60,70,72,75,85,100,120,140,144,170,200, 240"));
    EXPECT_FALSE(KeyExists(kModes0 + "8\\1280,720"));
}

TEST_F(DisplayModesTest, ListedKeysAreReplacedOthersLeftAlone) {
    PutValue(kModes0 + "8\\640,480", "", SzValue("60"));
    PutValue(kModes0 + "24\\640,480", "", SzValue("60"));
    PutValue(kModes0 + "8\\1280,1000", "", SzValue("60,75"));
    WriteBaseModes(0);
    WriteGroupModes(0, 2);
    EXPECT_TRUE(HasString(kModes0 + "8\\640,480", "", "60,70,72,75,85,100,120,140,144,150,170,200, 240"));
    EXPECT_TRUE(HasString(kModes0 + "24\\640,480", "", "60"));
    EXPECT_TRUE(HasString(kModes0 + "8\\1280,1000", "", "60,75"));
}

TEST_F(DisplayModesTest, AGroupOtherThanOneOrTwoWritesNothing) {
    WriteGroupModes(0, 0);
    WriteGroupModes(0, 3);
    EXPECT_FALSE(KeyExists(kModes0));
}

}  // namespace

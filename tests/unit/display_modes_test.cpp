// What the two passes over the MODES subtree leave alone. A whole board's
// modes after both passes are in the listings under tests/golden/.
#include "display_class_key.h"

#include <string>

#include "registry_sandbox.h"

namespace {

const std::string kModes0 = "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\MODES\\";

class DisplayModesTest : public RegistrySandbox {};

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

}  // namespace

// The registry operations on the real (Wine) registry, each test in its own
// HKEY_LOCAL_MACHINE.
#include "registry_access.h"

#include <cstring>
#include <string>

#include "registry_sandbox.h"

namespace {

class RegistryAccessTest : public RegistrySandbox {};

TEST_F(RegistryAccessTest, ReadOfMissingKeyOrValueGivesZeroAndEmptyTextAndCreatesNothing) {
    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ReadRegistryValue("Missing\\Key", "Value", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_FALSE(KeyExists("Missing"));

    PutKey("Present");
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ReadRegistryValue("Present", "Absent", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
}

TEST_F(RegistryAccessTest, ReadGivesTheStoredTextOrZeroWhenLongerThanTheBuffer) {
    PutValue("Key", "Fits", SzValue("12345678901234567890123456789"));  // 30 bytes with its NUL
    PutValue("Key", "Exact", SzValue("1234567890123456789012345678901"));  // 32 bytes
    PutValue("Key", "Long", SzValue("123456789012345678901234567890123"));
    char buffer[32];
    EXPECT_EQ(ReadRegistryValue("Key", "Fits", buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "12345678901234567890123456789");
    EXPECT_EQ(ReadRegistryValue("Key", "Exact", buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "1234567890123456789012345678901");
    EXPECT_EQ(ReadRegistryValue("Key", "Long", buffer, sizeof buffer), 0);
    EXPECT_LT(strnlen(buffer, sizeof buffer), sizeof buffer) << "the buffer holds no terminated text";
}

TEST_F(RegistryAccessTest, ReadAlwaysLeavesATerminatedTextWithinTheBuffer) {
    // Data without a NUL of its own that fills the buffer exactly would
    // otherwise leave the caller an unterminated text.
    PutValue("Key", "Binary8", BinaryValue("ABCDEFGH"));
    PutValue("Key", "SzNoNul", {REG_SZ, "ABCDEFGH"});
    PutValue("Key", "Binary4", BinaryValue("WXYZ"));
    char buffer[9];
    for (const char* name : {"Binary8", "SzNoNul"}) {
        std::memset(buffer, 'x', sizeof buffer);
        ReadRegistryValue("Key", name, buffer, 8);
        EXPECT_LT(strnlen(buffer, 8), 8u) << name;
        EXPECT_EQ(buffer[8], 'x') << name << ": written past the stated size";
    }
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ReadRegistryValue("Key", "Binary4", buffer, 8), 1);
    EXPECT_STREQ(buffer, "WXYZ");
}

TEST_F(RegistryAccessTest, ReadGivesTheRawBytesOfDwordAndBinaryValues) {
    PutValue("Key", "Number", DwordValue(0x00434241));
    PutValue("Key", "Bytes", BinaryValue(std::string("\x00\x40\x11\x20\x00\x00", 6)));
    char buffer[16];
    EXPECT_EQ(ReadRegistryValue("Key", "Number", buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "ABC");
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ReadRegistryValue("Key", "Bytes", buffer, sizeof buffer), 1);
    EXPECT_EQ(std::string(buffer, 6), std::string("\x00\x40\x11\x20\x00\x00", 6));
}

TEST_F(RegistryAccessTest, WritesCreateMissingLevelsAndStoreExactTypesAndBytes) {
    PutKey("One");
    WriteRegistryString("One\\Two\\Three", "Text", "value");
    WriteRegistryDword("One\\Two\\Three", "Number", 0x12345678);
    const char bytes[] = {0, 0x40, 0x11, 0x20, 0, 0};
    WriteRegistryBinary("One\\Two\\Three", "Bytes", bytes, sizeof bytes);
    WriteRegistryString("One\\Two\\Three", "", "default");
    WriteRegistryString("One\\Two\\Three", "Empty", "");

    EXPECT_TRUE(HasValue("One\\Two\\Three", "Text", {REG_SZ, std::string("value\0", 6)}));
    EXPECT_TRUE(HasValue("One\\Two\\Three", "Number", {REG_DWORD, "\x78\x56\x34\x12"}));
    EXPECT_TRUE(HasValue("One\\Two\\Three", "Bytes", BinaryValue(std::string(bytes, 6))));
    EXPECT_TRUE(HasString("One\\Two\\Three", "", "default"));
    EXPECT_TRUE(HasValue("One\\Two\\Three", "Empty", {REG_SZ, std::string(1, '\0')}));
}

TEST_F(RegistryAccessTest, WriteReplacesAValueOfAnotherTypeAndLeavesOthersAlone) {
    PutValue("Key", "OverlayMode", SzValue("1"));
    PutValue("Key", "Other", SzValue("kept"));
    WriteRegistryDword("Key", "OverlayMode", 1);
    EXPECT_TRUE(HasValue("Key", "OverlayMode", DwordValue(1)));
    EXPECT_TRUE(HasString("Key", "Other", "kept"));
}

TEST_F(RegistryAccessTest, KeyExistsCreatesNothing) {
    EXPECT_EQ(RegistryKeyExists("Missing\\Deeper"), 0);
    EXPECT_FALSE(KeyExists("Missing"));
    PutKey("Here\\Deeper");
    EXPECT_EQ(RegistryKeyExists("Here\\Deeper"), 1);
    EXPECT_EQ(RegistryKeyExists("Here\\Deeper\\"), 1);  // some callers pass a trailing backslash
}

TEST_F(RegistryAccessTest, EnumerationStopsPastTheLastSubkeyAndOnMissingParents) {
    char name[64];
    EXPECT_EQ(EnumRegistrySubkey(0, name, sizeof name, "Missing\\"), 0);
    PutKey("Parent");
    EXPECT_EQ(EnumRegistrySubkey(0, name, sizeof name, "Parent\\"), 0);
    PutKey("Parent\\A");
    PutKey("Parent\\B");
    EXPECT_EQ(EnumRegistrySubkey(1, name, sizeof name, "Parent\\"), 1);
    EXPECT_STREQ(name, "B");
    EXPECT_EQ(EnumRegistrySubkey(2, name, sizeof name, "Parent\\"), 0);
}

TEST_F(RegistryAccessTest, EnumerationTakesNamesOfUpToBufferSizeLessOne) {
    const std::string fits(15, 'F');
    const std::string tooLong(16, 'L');
    PutKey("Parent\\" + fits);
    char name[16];
    ASSERT_EQ(EnumRegistrySubkey(0, name, sizeof name, "Parent"), 1);
    EXPECT_EQ(std::string(name), fits);

    PutKey("Other\\" + tooLong);
    EXPECT_EQ(EnumRegistrySubkey(0, name, sizeof name, "Other"), 0);
}

TEST_F(RegistryAccessTest, DeleteKeyRemovesTheWholeSubtree) {
    // Sibling names of falling length once fooled Wine's Windows 9x
    // RegDeleteKeyA into leaving part of the tree.
    const std::string root = "System\\CurrentControlSet\\Services\\Class\\DISPLAY\\0001";
    PutValue(root, "DriverDesc", SzValue("board"));
    for (const char* path : {"MODES\\8\\640,480", "MODES\\8\\1024,768", "MODES\\16\\1280,1024",
                             "MODES\\32\\1920,1200", "NVIDIA\\DirectDraw", "DEFAULT",
                             "shellex\\PropertySheetHandlers\\ORVA Varnel CPL Extension"}) {
        PutValue(root + "\\" + path, "", SzValue("60"));
    }
    PutKey("System\\CurrentControlSet\\Services\\Class\\DISPLAY\\0002\\MODES");

    DeleteRegistryKey("System\\CurrentControlSet\\Services\\Class", "DISPLAY\\0001");

    EXPECT_FALSE(KeyExists(root));
    EXPECT_TRUE(KeyExists("System\\CurrentControlSet\\Services\\Class\\DISPLAY"))
        << "only the last level of the subkey path goes";
    EXPECT_TRUE(KeyExists("System\\CurrentControlSet\\Services\\Class\\DISPLAY\\0002\\MODES"));
}

TEST_F(RegistryAccessTest, DeleteKeyWithTwoLevelsLeavesTheSiblingInstances) {
    PutValue("Enum\\PCI\\VEN_10DE&DEV_0028\\000800", "Driver", SzValue("DISPLAY\\0000"));
    PutValue("Enum\\PCI\\VEN_10DE&DEV_0028\\0000", "Driver", SzValue("DISPLAY\\0000"));
    DeleteRegistryKey("Enum\\PCI", "VEN_10DE&DEV_0028\\000800");
    EXPECT_FALSE(KeyExists("Enum\\PCI\\VEN_10DE&DEV_0028\\000800"));
    EXPECT_TRUE(HasString("Enum\\PCI\\VEN_10DE&DEV_0028\\0000", "Driver", "DISPLAY\\0000"));
}

TEST_F(RegistryAccessTest, DeleteNeverRemovesTheParentThroughAnEmptySubkeyPath) {
    PutValue("System\\CurrentControlSet\\Services\\Class\\DISPLAY\\0000", "Ver", SzValue("4.0"));
    DeleteRegistryKey("System\\CurrentControlSet\\Services\\Class", "");
    EXPECT_TRUE(HasString("System\\CurrentControlSet\\Services\\Class\\DISPLAY\\0000", "Ver", "4.0"));
}

TEST_F(RegistryAccessTest, DeletesOfMissingThingsChangeNothing) {
    PutValue("Key", "Kept", SzValue("yes"));
    DeleteRegistryKey("Missing", "Child");
    DeleteRegistryKey("Key", "Missing");
    DeleteRegistryValue("Missing", "Kept");
    DeleteRegistryValue("Key", "Missing");
    EXPECT_TRUE(HasString("Key", "Kept", "yes"));
    EXPECT_FALSE(KeyExists("Missing"));

    DeleteRegistryValue("Key", "Kept");
    EXPECT_FALSE(GetValue("Key", "Kept").has_value());
    EXPECT_TRUE(KeyExists("Key"));
}

}  // namespace

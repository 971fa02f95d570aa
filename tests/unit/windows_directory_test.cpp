#include "windows_directory.h"

#include <cstring>
#include <string>

#include <windows.h>

#include <gtest/gtest.h>

namespace {

std::string Derive(const std::string& systemDirectory, bool* usable = nullptr) {
    char windowsDirectory[kWindowsDirectorySize];
    std::memset(windowsDirectory, 'x', sizeof windowsDirectory);
    const bool ok = WindowsDirectoryFromSystemDirectory(systemDirectory.c_str(), windowsDirectory);
    if (usable != nullptr) *usable = ok;
    EXPECT_LT(strnlen(windowsDirectory, sizeof windowsDirectory), sizeof windowsDirectory);
    return windowsDirectory;
}

TEST(WindowsDirectoryTest, NineXSystemFoldersLoseTheirSixLetterName) {
    EXPECT_EQ(Derive("C:\\WINDOWS\\SYSTEM"), "C:\\WINDOWS\\");
    EXPECT_EQ(Derive("D:\\WIN98\\SYSTEM"), "D:\\WIN98\\");
}

TEST(WindowsDirectoryTest, SystemFoldersOfOtherLengthsAreCutAtTheirLastBackslash) {
    EXPECT_EQ(Derive("C:\\windows\\system32"), "C:\\windows\\");
    EXPECT_EQ(Derive("E:\\W\\SYS"), "E:\\W\\");
    EXPECT_EQ(Derive("C:\\"), "C:\\");  // a system folder at the root stays inside it
}

TEST(WindowsDirectoryTest, NoBackslashOrNoRoomGivesNoDirectoryRatherThanAPathElsewhere) {
    bool usable = true;
    EXPECT_EQ(Derive("SYSTEM", &usable), "");
    EXPECT_FALSE(usable);
    EXPECT_EQ(Derive("C:", &usable), "");
    EXPECT_FALSE(usable);

    const std::string longest = "C:\\" + std::string(123, 'W') + "\\";  // 127 characters
    EXPECT_EQ(Derive(longest + "SYSTEM", &usable), longest);
    EXPECT_TRUE(usable);
    EXPECT_EQ(Derive("C:\\" + std::string(124, 'W') + "\\SYSTEM", &usable), "");
    EXPECT_FALSE(usable);
    EXPECT_EQ(Derive("C:\\" + std::string(300, 'W') + "\\SYSTEM", &usable), "");
    EXPECT_FALSE(usable);
}

TEST(WindowsDirectoryTest, ThisMachineGivesItsWindowsFolder) {
    char windowsDirectory[kWindowsDirectorySize];
    ASSERT_TRUE(FindWindowsDirectory(windowsDirectory));
    char expected[MAX_PATH];
    GetWindowsDirectoryA(expected, sizeof expected);
    EXPECT_STRCASEEQ(windowsDirectory, (std::string(expected) + "\\").c_str());
}

}  // namespace

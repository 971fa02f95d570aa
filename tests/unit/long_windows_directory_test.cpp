// A Windows directory as long as the programs take (127 characters, its
// last backslash included): the install must place every file and name the
// OEM INF by its whole path, and the removal must find each again.
#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "golden.h"
#include "recording_install_dialog.h"
#include "registry_sandbox.h"
#include "temp_folder.h"
#include "uninstall_dialog.h"

namespace {

// The system directory is read into 128 bytes: a Windows directory of 127
// characters is the longest either program must take.
constexpr size_t kLongestWindowsDirectory = 127;

TEST(LongWindowsDirectoryTest, InstallAndRemovalNameEveryFileWhole) {
    TempFolder base, medium;
    const std::string windows = base.path() + std::string(kLongestWindowsDirectory - 1 - base.path().size(), 'w') + "\\";
    MakeFolder(windows);
    for (const char* folder : {"INF", "System", "Help"}) MakeFolder(windows + folder);
    for (const std::string& name : GoldenMediumNames()) WriteFileBytes(medium / name, name);
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    ASSERT_TRUE(SetCurrentDirectoryA(medium.path().c_str()));
    RegistryOverride registry;
    AdapterTable adapters{};

    RecordingInstallDialog installer(adapters);
    ASSERT_GT(sizeof installer.windowsDirectory, kLongestWindowsDirectory);
    std::strcpy(installer.windowsDirectory, windows.c_str());
    installer.DeployDriverFiles();
    installer.WriteSystemSettings();
    SetCurrentDirectoryA(current);
    EXPECT_TRUE(installer.boxes.empty()) << installer.boxes.front().text;
    for (const GoldenDriverFile& file : GoldenDriverFiles()) EXPECT_EQ(ReadFileBytes(windows + file.target), file.source);
    // The OEM INF's value, named by its path in the Windows directory.
    int named = 0;
    for (const auto& [key, name] : GoldenRemovedValues(windows)) named += name.rfind(windows, 0) == 0 && GetValue(key, name);
    EXPECT_EQ(named, 1);

    UninstallDialog uninstaller(adapters);
    ASSERT_GT(sizeof uninstaller.windowsDirectory, kLongestWindowsDirectory);
    std::strcpy(uninstaller.windowsDirectory, windows.c_str());
    uninstaller.DeleteDriverFiles();
    uninstaller.DeleteRegistryEntries();
    for (const std::string& file : GoldenRemovedFiles()) EXPECT_FALSE(FileExists(windows + file)) << file;
    for (const std::string& file : GoldenLeftoverFiles()) EXPECT_TRUE(FileExists(windows + file)) << file;
    for (const auto& [key, name] : GoldenRemovedValues(windows)) EXPECT_FALSE(GetValue(key, name)) << name;
}

}  // namespace

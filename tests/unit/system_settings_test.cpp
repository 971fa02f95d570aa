// The machine-wide entries: once per run, with the paths under the Windows
// directory of the dialog.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "golden.h"
#include "recording_install_dialog.h"
#include "registry_listing.h"
#include "key_paths.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace {

const std::string kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";

class SystemSettingsTest : public RegistrySandbox {
protected:
    void UseWindowsDirectory(const std::string& path) {
        ASSERT_LT(path.size(), sizeof dialog_.windowsDirectory);
        std::strcpy(dialog_.windowsDirectory, path.c_str());
    }

    AdapterTable adapters_{};
    RecordingInstallDialog dialog_{adapters_};
};

TEST_F(SystemSettingsTest, WritesEveryEntryWithPathsUnderTheWindowsDirectory) {
    TempFolder windows;
    WriteFileBytes(windows / "system.ini",
                   "[boot]\r\nshell=Explorer.exe\r\n"
                   "[386Enh]\r\ndevice=*vmm\r\nEMMExclude=A000-AFFF\r\nPagingDrive=C:\r\n"
                   "[drivers]\r\nwave=mmsystem.dll\r\n");
    UseWindowsDirectory(windows.path());
    dialog_.WriteSystemSettings();

    const std::string& w = windows.path();
    // Key names keep the letter case Windows gives them: the listing compares them exactly.
    EXPECT_TRUE(SameListing(ValueLines(RegistryListing({""})), GoldenValues("system_settings.txt", w)));
    EXPECT_EQ(ReadFileBytes(w + "system.ini"),
              "[boot]\r\nshell=Explorer.exe\r\n"
              "[386Enh]\r\ndevice=*vmm\r\nEMMExclude=C000-CFFF,C000-CFFF\r\nPagingDrive=C:\r\n"
              "[drivers]\r\nwave=mmsystem.dll\r\n");
    EXPECT_FALSE(dialog_.systemSettingsPending);
}

TEST_F(SystemSettingsTest, SetupSearchPathFollowsTheWindowsDirectory) {
    // Not the prefix's own C:\WINDOWS\: Wine writes its cached copy of a
    // profile file back when the process ends, over any restored one.
    TempFolder ownWindows;
    for (const std::string& windows : {ownWindows.path(), std::string("D:\\WIN98\\")}) {
        SCOPED_TRACE(windows);
        RecordingInstallDialog dialog(adapters_);
        std::strcpy(dialog.windowsDirectory, windows.c_str());
        PutValue(kCurrentVersion, "OtherDevicePath", SzValue("C:\\WINDOWS\\INF;C:\\OEM"));
        dialog.WriteSystemSettings();
        EXPECT_TRUE(HasString(kCurrentVersion, "OtherDevicePath", windows + "INF\\OTHER"));
        EXPECT_TRUE(HasString(kCurrentVersion + "\\Setup\\SetupX\\INF\\OEM Name",
                              windows + "INF\\OTHER\\ORVAVarnel.INF", "ORVAVarnel.INF"));
        // Where the system.ini line fails (there is no drive D:), the rows after it are written all the same.
        EXPECT_TRUE(HasString(keys::kUninstallEntryKey, "UninstallString", windows + "SYSTEM\\UnVarnel.exe"));
        EXPECT_FALSE(dialog.systemSettingsPending);
    }
}

}  // namespace

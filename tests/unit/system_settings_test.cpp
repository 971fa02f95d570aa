// The machine-wide entries: once per run, with the paths under the Windows
// directory of the dialog.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "recording_install_dialog.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace {

const std::string kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kClsid = "Software\\CLASSES\\CLSID\\{67E0E3C0-3068-11D3-8BD1-00104B6F7516}";
const std::string kUninstall = kCurrentVersion + "\\Uninstall\\ORVA Varnel";

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
    EXPECT_TRUE(HasString(kCurrentVersion, "OtherDevicePath", w + "INF\\OTHER"));
    EXPECT_TRUE(HasString(kCurrentVersion + "\\Setup\\SetupX\\INF\\OEM Name", w + "INF\\OTHER\\ORVAVarnel.INF",
                          "ORVAVarnel.INF"));
    EXPECT_EQ(ReadFileBytes(w + "system.ini"),
              "[boot]\r\nshell=Explorer.exe\r\n"
              "[386Enh]\r\ndevice=*vmm\r\nEMMExclude=C000-CFFF,C000-CFFF\r\nPagingDrive=C:\r\n"
              "[drivers]\r\nwave=mmsystem.dll\r\n");
    EXPECT_TRUE(HasString("Config\\0001\\Display\\Settings", "BitsPerPixel", "16"));
    EXPECT_TRUE(HasString("Config\\0001\\Display\\Settings", "Resolution", "640,480"));
    EXPECT_TRUE(HasString(kClsid, "", "ORVA Varnel CPL Extension"));
    EXPECT_TRUE(HasString(kClsid + "\\InProcServer32", "", w + "System\\nvcpl.dll"));
    EXPECT_TRUE(HasString(kClsid + "\\InProcServer32", "ThreadingModel", "Apartment"));
    EXPECT_TRUE(HasString(kCurrentVersion +
                              "\\Controls Folder\\Display\\Shellex\\PropertySheetHandlers\\ORVA Varnel CPL Extension",
                          "", "{67E0E3C0-3068-11D3-8BD1-00104B6F7516}"));
    EXPECT_TRUE(HasString(kCurrentVersion + "\\Run", "DisplayTrayIcon", w + "System\\TrayIcon.exe"));
    EXPECT_TRUE(HasValue("Software\\NVIDIA Corporation\\Global\\System", "EnableVia4X", DwordValue(0)));
    EXPECT_TRUE(HasString(kUninstall, "DisplayName", "ORVA Varnel Windows 9X / ME Display Drivers"));
    EXPECT_TRUE(HasString(kUninstall, "UninstallString", w + "SYSTEM\\UnVarnel.exe"));
    // Key names keep the letter case Windows gives them.
    const std::vector<std::string> software = SubkeyNames("Software");
    EXPECT_EQ(std::count(software.begin(), software.end(), "CLASSES"), 1);
    EXPECT_EQ(SubkeyNames(kCurrentVersion + "\\Controls Folder\\Display"), std::vector<std::string>{"Shellex"});
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
    }
}

TEST_F(SystemSettingsTest, OnlyTheFirstCallOfTheRunWrites) {
    UseWindowsDirectory("D:\\WIN98\\");  // no such drive: the system.ini line fails, the rest is written
    dialog_.WriteSystemSettings();
    EXPECT_FALSE(dialog_.systemSettingsPending);
    EXPECT_TRUE(HasString(kUninstall, "UninstallString", "D:\\WIN98\\SYSTEM\\UnVarnel.exe"));

    PutValue(kUninstall, "UninstallString", SzValue("changed"));
    UseWindowsDirectory("E:\\OTHER\\");
    dialog_.WriteSystemSettings();
    EXPECT_TRUE(HasString(kUninstall, "UninstallString", "changed"));
    EXPECT_TRUE(HasString(kCurrentVersion + "\\Run", "DisplayTrayIcon", "D:\\WIN98\\System\\TrayIcon.exe"));
}

}  // namespace

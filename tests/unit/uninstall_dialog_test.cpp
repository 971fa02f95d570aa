// The uninstall dialog in this process: its opening, OK with
// both answers to the restart question, and the ways out without removal.
#include <windows.h>

#include <string>

#include "recording_uninstall_dialog.h"
#include "key_paths.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace {

constexpr int kPromptText = 1000;
constexpr char kBoard[] = "Enum\\PCI\\VEN_10DE&DEV_0110&SUBSYS_00000000&REV_A1";
constexpr char kClassKey[] = "System\\CurrentControlSet\\Services\\Class\\Display\\0002";

// ---- running the dialog ----

std::string ItemText(HWND window, int id) {
    char text[256];
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

class UninstallDialogTest : public RegistrySandbox {
protected:
    void SetUp() override {
        RegistrySandbox::SetUp();
        MakeFolder(windows_ / "System");
        WriteFileBytes(windows_ / "System\\nvdisp.drv", "driver");
        PutValue(keys::kRunKey, "DisplayTrayIcon", SzValue("TrayIcon.exe"));
        PutValue(std::string(kBoard) + "\\000800", "Driver", SzValue("DISPLAY\\0002"));
        PutValue(kClassKey, "InfSection", SzValue("NV4"));
    }

    void Press(RecordingUninstallDialog& dialog, WORD id) {
        SendMessageA(dialog.Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog.Window(), id)));
    }
    void ExpectRemoved() {
        EXPECT_FALSE(FileExists(windows_ / "System\\nvdisp.drv"));
        EXPECT_FALSE(GetValue(keys::kRunKey, "DisplayTrayIcon").has_value());
        EXPECT_FALSE(KeyExists(kClassKey));
        EXPECT_FALSE(KeyExists(std::string(kBoard) + "\\000800"));
    }
    void ExpectNothingChanged() {
        EXPECT_TRUE(FileExists(windows_ / "System\\nvdisp.drv"));
        EXPECT_TRUE(HasString(keys::kRunKey, "DisplayTrayIcon", "TrayIcon.exe"));
        EXPECT_TRUE(HasString(std::string(kBoard) + "\\000800", "Driver", "DISPLAY\\0002"));
        EXPECT_TRUE(KeyExists(kClassKey));
        EXPECT_FALSE(KeyExists("Config"));
    }

    TempFolder windows_;
    AdapterTable adapters_{};
};

TEST_F(UninstallDialogTest, OpensWithItsIconTheBoardsAndTheEnglishPrompt) {
    RecordingUninstallDialog dialog(adapters_);
    ASSERT_TRUE(dialog.Open(windows_.path()));
    const HWND window = dialog.Window();
    if (dialog.useChinese) GTEST_SKIP() << "this machine's default language is Chinese (Taiwan)";

    EXPECT_NE(SendMessageA(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(window, WM_GETICON, ICON_SMALL, 0), 0);
    ASSERT_EQ(adapters_.count, 1);
    EXPECT_STREQ(adapters_.slots[0], "VEN_10DE&DEV_0110&SUBSYS_00000000&REV_A1");
    char caption[128];
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Uninstall ORVA Varnel Windows 95/98 Display Drivers");
    EXPECT_EQ(ItemText(window, kPromptText), "Do you really want to remove ORVA Varnel Display Drivers?");
    EXPECT_EQ(ItemText(window, IDOK), "&OK");
    EXPECT_EQ(ItemText(window, IDCANCEL), "&Cancel");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDOK)));  // this machine has a Windows directory
    ExpectNothingChanged();
}

TEST_F(UninstallDialogTest, OkThenCancelRemovesAsksOnceAndRequestsNoRestart) {
    RecordingUninstallDialog dialog(adapters_, IDCANCEL);
    ASSERT_TRUE(dialog.Open(windows_.path()));
    dialog.useChinese = false;

    Press(dialog, IDOK);

    ExpectRemoved();
    EXPECT_EQ(ItemText(dialog.Window(), kPromptText), "\n\tDrivers uninstall complete !");
    ASSERT_EQ(dialog.boxes.size(), 1u);
    EXPECT_EQ(dialog.boxes[0].text, "Need to reboot system.\nReboot Now ?");
    EXPECT_EQ(dialog.boxes[0].caption, "Uninstall complete");
    EXPECT_EQ(dialog.boxes[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(dialog.restartRequests, 0);
    EXPECT_FALSE(IsWindowVisible(dialog.Window())) << "the dialog did not close";
}

TEST_F(UninstallDialogTest, OkThenOkRequestsOneRestartAndCloses) {
    RecordingUninstallDialog dialog(adapters_, IDOK);
    ASSERT_TRUE(dialog.Open(windows_.path()));

    Press(dialog, IDOK);

    ExpectRemoved();
    EXPECT_EQ(dialog.boxes.size(), 1u);
    EXPECT_EQ(dialog.restartRequests, 1);
    EXPECT_FALSE(IsWindowVisible(dialog.Window())) << "the dialog did not close";
}

TEST_F(UninstallDialogTest, CancelEscapeAndTheCloseBoxEndWithNothingChanged) {
    {
        RecordingUninstallDialog dialog(adapters_);
        ASSERT_TRUE(dialog.Open(windows_.path()));
        Press(dialog, IDCANCEL);
        EXPECT_FALSE(IsWindowVisible(dialog.Window())) << "Cancel";
    }
    {
        RecordingUninstallDialog dialog(adapters_);
        ASSERT_TRUE(dialog.Open(windows_.path()));
        MSG escape = {dialog.Window(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
        EXPECT_TRUE(IsDialogMessageA(dialog.Window(), &escape));
        EXPECT_FALSE(IsWindowVisible(dialog.Window())) << "Escape";
    }
    {
        RecordingUninstallDialog dialog(adapters_);
        ASSERT_TRUE(dialog.Open(windows_.path()));
        SendMessageA(dialog.Window(), WM_CLOSE, 0, 0);
        // The dialog answers the close box with a posted Cancel.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        EXPECT_FALSE(IsWindowVisible(dialog.Window())) << "close box";
        EXPECT_TRUE(dialog.boxes.empty());
    }
    ExpectNothingChanged();
}

TEST_F(UninstallDialogTest, WithoutAWindowsDirectoryOkRemovesNothing) {
    RecordingUninstallDialog dialog(adapters_);
    ASSERT_TRUE(dialog.Open(""));

    Press(dialog, IDOK);

    ExpectNothingChanged();
    EXPECT_TRUE(dialog.boxes.empty());
    EXPECT_EQ(dialog.restartRequests, 0);
}

}  // namespace

// The real InstVarnel.exe on the Windows 98 prefix, driven from outside:
// its opening dialog, and Cancel leaving the machine as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include "dialog_units.h"
#include "e2e_fixture.h"
#include "ui_driver.h"

namespace {



class InstallerDialogTest : public EndToEndTest {};

TEST_F(InstallerDialogTest, OpensInPromptWithTheTemplatesControlsAndEnglishTexts) {
    ASSERT_NE(GetSystemDefaultLangID(), 0x0404) << "run with an English locale";
    PlantBoard("VEN_10DE&DEV_0028&SUBSYS_00000000&REV_A1", {"0000"});
    const MachineState planted = CaptureMachine();
    DrivenProgram installer(InstallerPath(), medium.path());
    ASSERT_TRUE(installer.started());
    HWND dialog = installer.WaitForDialog(kInstallCaption);
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(WindowCaption(dialog), kInstallCaption);
    EXPECT_EQ(ItemText(dialog, 1001), "Do You want to install ORVA Varnel Display Drivers ?");
    EXPECT_EQ(ItemText(dialog, IDOK), "&OK");
    EXPECT_EQ(ItemText(dialog, IDCANCEL), "&Cancel");
    EXPECT_EQ(ItemText(dialog, 1002), "&Reboot");

    EXPECT_TRUE(ItemVisible(dialog, IDOK));
    EXPECT_TRUE(ItemEnabled(dialog, IDOK));
    EXPECT_TRUE(ItemVisible(dialog, IDCANCEL));
    EXPECT_TRUE(ItemVisible(dialog, 1001));
    EXPECT_FALSE(ItemVisible(dialog, 1002)) << "Reboot shows only when the install is done";
    EXPECT_FALSE(ItemVisible(dialog, 1000)) << "the progress bar shows only while installing";

    const struct {
        int id, x, y, width, height;
    } kLayout[] = {
        {IDOK, 30, 70, 50, 14},   {IDCANCEL, 110, 70, 50, 14}, {1001, 20, 15, 160, 49},
        {1000, 10, 80, 170, 14},  {1002, 30, 70, 50, 14},
    };
    for (const auto& control : kLayout) {
        const RECT expected =
            DialogUnitsToPixels(L"新細明體", 10, control.x, control.y, control.width, control.height);
        const RECT actual = ItemRectInClient(dialog, control.id);
        EXPECT_EQ(actual.left, expected.left) << "control " << control.id;
        EXPECT_EQ(actual.top, expected.top) << "control " << control.id;
        EXPECT_EQ(actual.right, expected.right) << "control " << control.id;
        EXPECT_EQ(actual.bottom, expected.bottom) << "control " << control.id;
    }

    ClickItem(dialog, IDCANCEL);
    ASSERT_TRUE(installer.WaitForExit());
    EXPECT_TRUE(CompareMachines(planted, CaptureMachine()).empty())
        << ::testing::PrintToString(CompareMachines(planted, CaptureMachine()).Describe());
}

TEST_F(InstallerDialogTest, EscapeAndTheCloseBoxEndTheProgramWithNothingWritten) {
    PlantBoard("VEN_10DE&DEV_0100&SUBSYS_00000000&REV_A1", {"0000"});
    const MachineState planted = CaptureMachine();
    {
        DrivenProgram installer(InstallerPath(), medium.path());
        HWND dialog = installer.WaitForDialog(kInstallCaption);
        ASSERT_NE(dialog, nullptr);
        // Escape reaches the focused OK button and the dialog manager makes it Cancel.
        PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(installer.WaitForExit());
    }
    {
        DrivenProgram installer(InstallerPath(), medium.path());
        HWND dialog = installer.WaitForDialog(kInstallCaption);
        ASSERT_NE(dialog, nullptr);
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(installer.WaitForExit());
    }
    const MachineChanges changes = CompareMachines(planted, CaptureMachine());
    EXPECT_TRUE(changes.empty()) << ::testing::PrintToString(changes.Describe());
}

TEST_F(InstallerDialogTest, ChineseSystemsGetBig5TextsAndTheEnglishCaption) {
    ASSERT_EQ(GetSystemDefaultLangID(), 0x0404) << "run with LC_ALL=zh_TW.UTF-8";
    DrivenProgram installer(InstallerPath(), medium.path());
    HWND dialog = installer.WaitForDialog(kInstallCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowCaption(dialog), kInstallCaption);
    EXPECT_EQ(ItemText(dialog, 1001), Big5(L"您確定要安裝 ORVA Varnel 顯示卡驅動程式嗎？"));
    EXPECT_EQ(ItemText(dialog, IDOK), Big5(L"確定(&Y)"));
    EXPECT_EQ(ItemText(dialog, IDCANCEL), Big5(L"取消(&N)"));
    EXPECT_EQ(ItemText(dialog, 1002), Big5(L"確定(&Y)"));
    // Spot-check the bytes themselves: 確 is BD 54 in Big5.
    EXPECT_EQ(ItemText(dialog, IDOK).substr(0, 2), "\xBD\x54");
    ClickItem(dialog, IDCANCEL);
    EXPECT_TRUE(installer.WaitForExit());
}

}  // namespace

// The real InstVarnel.exe on the Windows 98 prefix, driven from outside:
// its opening dialog, and Cancel leaving the machine as it was.
#include <windows.h>

#include <gtest/gtest.h>

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

    ExpectLayout(dialog, InstallerPath(), 129, 190, 101,
                 {{IDOK, 30, 70, 50, 14, BS_DEFPUSHBUTTON},
                  {IDCANCEL, 110, 70, 50, 14, BS_PUSHBUTTON},
                  {1001, 20, 15, 160, 49, SS_LEFT},
                  {1000, 10, 80, 170, 14, 0},
                  {1002, 30, 70, 50, 14, BS_PUSHBUTTON}});

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
    for (int id : {1001, IDOK, IDCANCEL, 1002})
        EXPECT_TRUE(IsBig5Chinese(ItemText(dialog, id))) << "control " << id << ": " << ItemText(dialog, id);
    ClickItem(dialog, IDCANCEL);
    EXPECT_TRUE(installer.WaitForExit());
}

}  // namespace

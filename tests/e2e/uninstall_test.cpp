// The real UnVarnel.exe on the Windows 98 prefix: its dialog, its answers,
// and install-then-uninstall round trips that must leave exactly the
// documented leftovers.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "beside_names.h"
#include "e2e_fixture.h"
#include "golden.h"
#include "install_run.h"
#include "key_paths.h"
#include "leftovers.h"
#include "registry_listing.h"
#include "uninstall_run.h"

namespace {

bool Restarted(const UninstallRun& run) {
    return std::find(run.recorded.begin(), run.recorded.end(), "end-session") != run.recorded.end();
}

class UninstallTest : public EndToEndTest {
protected:
    const std::string windows = MachineWindowsDirectory();
};

TEST_F(UninstallTest, OpensWithItsTemplateAndCancelChangesNothing) {
    ASSERT_NE(GetSystemDefaultLangID(), 0x0404) << "run with an English locale";
    PlantBoard("VEN_10DE&DEV_0028&SUBSYS_00000000&REV_A1", {"0000", "000800"});
    PutValue("Enum\\PCI\\VEN_10DE&DEV_0028&SUBSYS_00000000&REV_A1\\000800", "Driver", SzValue("DISPLAY\\0000"));
    PutValue("System\\CurrentControlSet\\Services\\Class\\Display\\0000", "InfSection", SzValue("Q2"));
    const MachineState before = CaptureMachine();

    DrivenProgram uninstaller(UninstallerPath(), medium.path());
    HWND dialog = uninstaller.WaitForDialog(kUninstallCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowCaption(dialog), kUninstallCaption);
    EXPECT_EQ(ItemText(dialog, 1000), "Do you really want to remove ORVA Varnel Display Drivers?");
    EXPECT_EQ(ItemText(dialog, IDOK), "&OK");
    EXPECT_EQ(ItemText(dialog, IDCANCEL), "&Cancel");
    ExpectLayout(dialog, UninstallerPath(), 102, 179, 95,
                 {{IDOK, 25, 65, 50, 15, BS_DEFPUSHBUTTON},
                  {IDCANCEL, 100, 65, 50, 15, BS_PUSHBUTTON},
                  {1000, 15, 20, 150, 30, SS_LEFT}});
    for (int id : {IDOK, IDCANCEL, 1000}) EXPECT_TRUE(ItemVisible(dialog, id)) << "control " << id;
    ClickItem(dialog, IDCANCEL);
    ASSERT_TRUE(uninstaller.WaitForExit());
    const MachineChanges changes = CompareMachines(before, CaptureMachine());
    EXPECT_TRUE(changes.empty()) << ::testing::PrintToString(changes.Describe());
}

TEST_F(UninstallTest, OkThenCancelRemovesWithoutRestartAndOkThenOkRestarts) {
    const UninstallRun declined = RunUninstaller(UninstallerPath(), QuestionAnswer::kCancel);
    ASSERT_TRUE(declined.questionAsked);
    EXPECT_EQ(declined.completionText, "\n\tDrivers uninstall complete !");
    EXPECT_EQ(declined.questionCaption, "Uninstall complete");
    EXPECT_EQ(declined.questionText, "Need to reboot system.\nReboot Now ?");
    EXPECT_EQ(declined.questionButtons, "OK,Cancel");
    EXPECT_TRUE(declined.ended);
    EXPECT_FALSE(Restarted(declined));
    for (const std::string& line : GoldenLeftoverLines(false, windows))
        EXPECT_EQ(ValueLineNow(line), line) << "the removal ran";

    // Wine's restart ends the machine's windowed programs, asking each with
    // WM_QUERYENDSESSION and WM_ENDSESSION, which the recorder saw.
    const UninstallRun accepted = RunUninstaller(UninstallerPath(), QuestionAnswer::kOk);
    ASSERT_TRUE(accepted.questionAsked);
    EXPECT_TRUE(accepted.ended);
    EXPECT_TRUE(Restarted(accepted)) << ::testing::PrintToString(accepted.recorded);
}

TEST_F(UninstallTest, ChineseSystemsSeeTheBig5TextsAndTheEnglishCaption) {
    ASSERT_EQ(GetSystemDefaultLangID(), 0x0404) << "run with LC_ALL=zh_TW.UTF-8";
    DrivenProgram uninstaller(UninstallerPath(), medium.path());
    HWND dialog = uninstaller.WaitForDialog(kUninstallCaption);
    ASSERT_NE(dialog, nullptr);
    for (int id : {1000, IDOK, IDCANCEL})
        EXPECT_TRUE(IsBig5Chinese(ItemText(dialog, id))) << "control " << id << ": " << ItemText(dialog, id);
    ClickItem(dialog, IDCANCEL);
    ASSERT_TRUE(uninstaller.WaitForExit());

    const UninstallRun run = RunUninstaller(UninstallerPath());
    ASSERT_TRUE(run.questionAsked);
    for (const std::string& text : {run.completionText, run.questionCaption, run.questionText})
        EXPECT_TRUE(IsBig5Chinese(text)) << text;
}

// Install, then uninstall with the installed copy of the uninstaller, as
// Add/Remove Programs would start it, then restart as it asks: its own
// running copy goes then. `held`, when given, is held open after the first
// install as Windows holds the running driver: installed again, its new file
// waits for the restart, and the removal takes that back.
class RoundTripTest : public UninstallTest {
protected:
    MachineChanges InstallThenUninstall(const std::string& held = "") {
        const InstallRun install = RunInstaller(medium.path());
        EXPECT_TRUE(install.reachedDone && install.ended);
        EXPECT_TRUE(install.boxes.empty());
        std::optional<HeldFile> running;
        if (!held.empty()) {
            EXPECT_TRUE(running.emplace(windows + held).held());
            EXPECT_TRUE(RunInstaller(medium.path()).boxes.empty());
            EXPECT_TRUE(FileExists(BesideOf(windows + held, Beside::kStaged)));
        }
        const UninstallRun uninstall = RunUninstaller(windows + "System\\UnVarnel.exe");
        EXPECT_TRUE(uninstall.questionAsked && uninstall.ended);
        EXPECT_TRUE(held.empty() || FileExists(windows + held)) << "deleted under the program holding it";
        running.reset();
        EXPECT_TRUE(RestartWindows());
        return CompareMachines(before_, CaptureMachine());
    }
    void Capture() { before_ = CaptureMachine(); }

private:
    MachineState before_;
};

TEST_F(RoundTripTest, WithoutABoard) {
    Capture();
    ExpectOnlyTheLeftovers(InstallThenUninstall(), {}, false);
}

TEST_F(RoundTripTest, AFileHeldThroughAnUpgradeAndTheRemovalIsGoneAfterTheRestart) {
    Capture();
    ExpectOnlyTheLeftovers(InstallThenUninstall("System\\nvdisp.drv"), {}, false);
}

TEST_F(RoundTripTest, TwoBoardsOfDifferentGroupsOneWithTwoInstances) {
    const std::string q2plus = "Enum\\PCI\\VEN_10DE&DEV_0029&SUBSYS_00000000&REV_A1";
    const std::string q6pro = "Enum\\PCI\\VEN_10DE&DEV_0150&SUBSYS_00000000&REV_A1";
    PlantBoard("VEN_10DE&DEV_0029&SUBSYS_00000000&REV_A1", {"0000", "0001"});
    PlantBoard("VEN_10DE&DEV_0150&SUBSYS_00000000&REV_A1", {"0000"});
    Capture();
    const MachineChanges changes = InstallThenUninstall();
    ExpectOnlyTheLeftovers(changes, {q2plus + "\\0000", q2plus + "\\0001", q6pro + "\\0000"}, true);
    for (const std::string& board : {q2plus, q6pro}) EXPECT_FALSE(KeyExists(board + "\\000800"));
    EXPECT_FALSE(KeyExists("System\\CurrentControlSet\\Services\\Class\\Display\\0001"));
}

TEST_F(RoundTripTest, WithoutAnInstallOnlyStrayEntriesGoAndASecondRunChangesNothingMore) {
    // What an older NVIDIA driver may have left; the uninstaller removes these by name.
    PutValue(keys::kRunKey, "NvColorInit", SzValue("nvcolor.exe"));
    PutValue(keys::kRunKey, "Unrelated", SzValue("keep.exe"));
    PutValue("System\\CurrentControlSet\\Services\\VxD\\NVCORE", "StaticVxD", SzValue("nvcore.vxd"));
    PutValue("Software\\ORVA\\Other", "Kept", SzValue("yes"));
    const MachineState planted = CaptureMachine();

    const UninstallRun first = RunUninstaller(UninstallerPath());
    ASSERT_TRUE(first.ended);
    const MachineChanges changes = CompareMachines(planted, CaptureMachine());
    EXPECT_EQ(changes.removedValues, (std::set<ValueRef>{{keys::kRunKey, "NvColorInit"}}));
    EXPECT_EQ(changes.removedKeys, (std::set<std::string>{"System\\CurrentControlSet\\Services\\VxD\\NVCORE"}));
    EXPECT_TRUE(HasString("Software\\ORVA\\Other", "Kept", "yes"));
    EXPECT_TRUE(changes.addedFiles.empty() && changes.changedFiles.empty() && changes.removedFiles.empty());
    const std::set<ValueRef> writes = GoldenLeftoverValues({}, false);
    for (const auto& [ref, value] : changes.setValues)
        EXPECT_TRUE(writes.count(ref)) << ref.first << " [" << ref.second << "]";

    const MachineState once = CaptureMachine();
    const UninstallRun second = RunUninstaller(UninstallerPath());
    ASSERT_TRUE(second.ended);
    const MachineChanges again = CompareMachines(once, CaptureMachine());
    EXPECT_TRUE(again.empty()) << ::testing::PrintToString(again.Describe());
}

}  // namespace

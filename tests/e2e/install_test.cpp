// Full installs with the real InstVarnel.exe on the Windows 98 prefix: what
// the user sees in each state, and what changes on the machine.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "beside_names.h"
#include "e2e_fixture.h"
#include "golden.h"
#include "registry_listing.h"
#include "install_run.h"

namespace {

constexpr char kClassKey[] = "System\\CurrentControlSet\\Services\\Class\\Display\\";
constexpr char kCompleteText[] =
    "\t      Install Complete.\n\nPlease reboot system to let Varnel work normally.\n\nReboot Now ?";

std::string Line(const std::string& status, const std::string& progress) {
    return "status=" + status + "|ok=hidden,disabled|cancel=hidden|reboot=hidden|progress=" + progress;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\t' ? std::string("\\t") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

// The states the user sees: Copying with the bar at 0 to 20, Registering at 20, then the completion text.
void ExpectCopyingRegisteringDone(const InstallRun& run, const std::string& copying, const std::string& registering,
                                  const std::string& complete) {
    ASSERT_EQ(run.states.size(), 23u) << ::testing::PrintToString(run.states);
    for (int step = 0; step <= 20; ++step)
        EXPECT_EQ(run.states[step], Line(Escaped(copying), "shown," + std::to_string(step)));
    EXPECT_EQ(run.states[21], Line(Escaped(registering), "shown,20"));
    EXPECT_EQ(run.states[22], Line(Escaped(complete), "shown,20"));
    EXPECT_EQ(run.done.statusText, complete);
    EXPECT_FALSE(run.done.okVisible);
    EXPECT_FALSE(run.done.okEnabled);
    EXPECT_TRUE(run.done.cancelVisible);
    EXPECT_TRUE(run.done.rebootVisible);
    EXPECT_FALSE(run.done.progressVisible);
}

::testing::AssertionResult FilesDeployedFrom(const MachineChanges& changes, const std::string& medium,
                                             bool systemIniChanged) {
    // The capture spells paths in upper case.
    std::set<std::string> expected = {"INF\\OTHER\\"};
    for (const GoldenDriverFile& file : GoldenDriverFiles()) expected.insert(UpperCase(file.target));
    if (changes.addedFiles != expected)
        return ::testing::AssertionFailure() << "files added: " << ::testing::PrintToString(changes.addedFiles);
    const std::set<std::string> changed = systemIniChanged ? std::set<std::string>{"SYSTEM.INI"} : std::set<std::string>{};
    if (changes.changedFiles != changed)
        return ::testing::AssertionFailure() << "files changed: " << ::testing::PrintToString(changes.changedFiles);
    // Both copies of the setup file hold the medium's Varnel.inf, and every
    // other file its own source.
    return PlacedLikeTheirSources(medium);
}

// Listing lines with the key in upper case: the capture spells a key as the
// machine already had it.
std::string WithKeyUpper(const std::string& line) {
    const size_t end = line.find(" [");
    return UpperCase(line.substr(0, end)) + line.substr(end);
}

// What an install with these boards' listings writes: the boards' own
// values, the companions and the once-per-install settings, each as the
// machine holds it now, and nothing else the capture saw being set. (Read
// back directly too: the capture misses the OEM Name key under Wine.)
::testing::AssertionResult WroteExactly(const MachineChanges& changes, std::initializer_list<const char*> boards,
                                        const std::string& windows) {
    std::vector<std::string> expected;
    for (const char* board : boards)
        for (const std::string& line : GoldenValues(board)) expected.push_back(line);
    for (const char* name : {"driver_companions.txt", "system_settings.txt"})
        for (const std::string& line : GoldenValues(name, windows)) expected.push_back(line);
    std::vector<std::string> held;
    for (const std::string& line : expected) {
        const size_t open = line.find(" ["), close = line.find("] = ");
        const std::string key = line.substr(0, open), name = line.substr(open + 2, close - open - 2);
        const std::optional<RegistryValue> value = GetValue(key, name);
        held.push_back(key + " [" + name + "] = " + (value ? Describe(*value) : "(absent)"));
    }
    ::testing::AssertionResult same = SameListing(held, expected);
    if (!same) return same;
    std::set<std::string> upperExpected;
    for (const std::string& line : expected) upperExpected.insert(WithKeyUpper(line));
    for (const auto& [ref, value] : changes.setValues) {
        const std::string line = UpperCase(ref.first) + " [" + ref.second + "] = " + Describe(value);
        if (upperExpected.count(line) == 0) return ::testing::AssertionFailure() << "unexpected write: " << line;
    }
    if (!changes.removedKeys.empty() || !changes.removedValues.empty())
        return ::testing::AssertionFailure() << "the installer deleted something";
    return ::testing::AssertionSuccess();
}

class InstallTest : public EndToEndTest {
protected:
    const std::string windows = MachineWindowsDirectory();
};

TEST_F(InstallTest, WithoutABoardDeploysTheFilesAndWritesNoRegistry) {
    const MachineState before = CaptureMachine();
    const InstallRun run = RunInstaller(medium.path());
    ASSERT_TRUE(run.dialogOpened);
    ASSERT_TRUE(run.reachedDone);
    EXPECT_TRUE(run.ended);
    EXPECT_TRUE(run.boxes.empty());
    ExpectCopyingRegisteringDone(run, "\tCopying Files...", "\tAdding Registry...", kCompleteText);
    EXPECT_EQ(run.done.rebootText, "&Reboot");
    EXPECT_EQ(run.done.cancelText, "&Cancel");
    EXPECT_TRUE(run.afterDone.empty()) << "Cancel in Done must not restart";

    const MachineChanges changes = CompareMachines(before, CaptureMachine());
    EXPECT_TRUE(FilesDeployedFrom(changes, medium.path(), false));
    EXPECT_TRUE(changes.setValues.empty() && changes.addedKeys.empty())
        << ::testing::PrintToString(changes.Describe());
}

TEST_F(InstallTest, OneModelOneBoardWritesItsListingAndTheMachineWideEntries) {
    PlantBoard("VEN_10DE&DEV_0028&SUBSYS_00000000&REV_A1", {"0000"});
    const MachineState before = CaptureMachine();
    const InstallRun run = RunInstaller(medium.path());
    ASSERT_TRUE(run.reachedDone);
    ExpectCopyingRegisteringDone(run, "\tCopying Files...", "\tAdding Registry...", kCompleteText);

    const MachineChanges changes = CompareMachines(before, CaptureMachine());
    EXPECT_TRUE(FilesDeployedFrom(changes, medium.path(), true));
    EXPECT_TRUE(WroteExactly(changes, {"model1_board.txt"}, windows));
}

TEST_F(InstallTest, AMissingSourceCostsOneBoxAndOneFileAndTheBarStillReachesTwenty) {
    DeleteFileA((medium / "nvcore.vxd").c_str());
    const MachineState before = CaptureMachine();
    const InstallRun run = RunInstaller(medium.path());
    ASSERT_TRUE(run.reachedDone);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "File Open ERROR !");
    EXPECT_EQ(run.boxes[0].text, "Could not open the INPUT file : nvcore.vxd");
    EXPECT_EQ(run.boxes[0].buttons, "OK");
    EXPECT_EQ(run.boxes[0].statusText, "\tCopying Files...");
    ExpectCopyingRegisteringDone(run, "\tCopying Files...", "\tAdding Registry...", kCompleteText);

    const MachineChanges changes = CompareMachines(before, CaptureMachine());
    EXPECT_EQ(changes.addedFiles.size(), 20u) << "19 files and the INF\\OTHER folder";
    EXPECT_EQ(changes.addedFiles.count("SYSTEM\\NVCORE.VXD"), 0u);
}

// An upgrade while Windows runs the display driver: its new file waits for
// the restart without a box, and Windows' own start puts it in place,
// carrying out another program's pending rename and deletions as well.
TEST_F(InstallTest, AHeldDriverFileIsReplacedAtTheRestartBesideAnotherProgramsRenames) {
    MakeFolder(windows + "INF\\OTHER");
    for (const GoldenDriverFile& file : GoldenDriverFiles()) WriteFileBytes(windows + file.target, "earlier");
    const char* const others[] = {"OTHER.NEW", "OTHER1.TMP", "OTHER2.TMP"};
    for (const char* name : others) WriteFileBytes(windows + name, name);
    WriteFileBytes(windows + "WININIT.INI", "[rename]\r\n" + windows + "OTHER.DLL=" + windows + "OTHER.NEW\r\nNUL=" +
                                                windows + "OTHER1.TMP\r\nnul=" + windows + "OTHER2.TMP\r\n");
    const std::string driver = windows + "System\\nvdisp.drv";
    {
        const HeldFile running(driver);
        ASSERT_TRUE(running.held());
        const InstallRun run = RunInstaller(medium.path());
        ASSERT_TRUE(run.reachedDone);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
        EXPECT_EQ(run.done.statusText, kCompleteText);
    }
    EXPECT_EQ(ReadFileBytes(driver), "earlier");
    ASSERT_TRUE(RestartWindows());
    EXPECT_TRUE(PlacedLikeTheirSources(medium.path()));
    EXPECT_FALSE(FileExists(BesideOf(driver, Beside::kStaged)));
    EXPECT_TRUE(FileExists(windows + "WININIT.BAK"));
    EXPECT_EQ(ReadFileBytes(windows + "OTHER.DLL"), "OTHER.NEW");
    for (const char* name : others) EXPECT_FALSE(FileExists(windows + name)) << name;
}

TEST_F(InstallTest, OkReachedAgainInDoneDoesNotInstallTwice) {
    // Enter in Done reaches the dialog as IDOK although OK is hidden and
    // disabled. The dialog manager sends it, so the reply comes once the
    // handler has done whatever it does: a second install is recorded by then.
    const InstallRun run = RunInstaller(medium.path(), DoneAnswer::kCancel, [](HWND dialog) {
        DWORD_PTR result = 0;
        EXPECT_NE(SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0, SMTO_NORMAL, 30000,
                                      &result),
                  0)
            << "the installer did not return from IDOK";
        EXPECT_EQ(ItemText(dialog, 1001), kCompleteText);
        EXPECT_TRUE(ItemVisible(dialog, 1002));
    });
    ASSERT_TRUE(run.reachedDone);
    EXPECT_TRUE(run.afterDone.empty()) << ::testing::PrintToString(run.afterDone);
    EXPECT_TRUE(run.ended);
}

TEST_F(InstallTest, RebootInDoneAsksWindowsToRestart) {
    const InstallRun run = RunInstaller(medium.path(), DoneAnswer::kReboot);
    ASSERT_TRUE(run.reachedDone);
    // Wine's restart ends every windowed program of the machine, asking it
    // first with WM_QUERYENDSESSION and WM_ENDSESSION: the recorder saw them.
    EXPECT_TRUE(run.ended);
    EXPECT_NE(std::find(run.afterDone.begin(), run.afterDone.end(), "end-session"), run.afterDone.end())
        << ::testing::PrintToString(run.afterDone);
}


TEST_F(InstallTest, ChineseSystemsSeeTheBig5StatusTexts) {
    ASSERT_EQ(GetSystemDefaultLangID(), 0x0404) << "run with LC_ALL=zh_TW.UTF-8";
    const InstallRun run = RunInstaller(medium.path());
    ASSERT_TRUE(run.reachedDone);
    ASSERT_EQ(run.states.size(), 23u) << ::testing::PrintToString(run.states);
    for (const std::string& state : run.states)
        EXPECT_TRUE(IsBig5Chinese(state.substr(0, state.find("|ok=")))) << state;
    EXPECT_TRUE(IsBig5Chinese(run.done.statusText)) << run.done.statusText;
}

}  // namespace

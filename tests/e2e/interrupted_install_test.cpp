// The real installer killed at seeded random moments between OK and Done,
// as a crash or a reset would stop it: whatever it had written by then, an
// install run again must end exactly where an uninterrupted one ends, and an
// uninstall on the cut-short machine must leave no more than the documented
// leftovers and touch nothing that is not the product's.
//
// The moments are write calls: the state recorder routes the installer's
// calls that change files, system.ini and the registry through itself, logs
// each, and ends the process just before the chosen one. A moment is thus
// exact and repeatable from its seed, and each of the three stages (file
// copy, the board's registration, the machine-wide entries) gets kills of
// its own, however short it runs.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "beside_names.h"
#include "e2e_fixture.h"
#include "install_run.h"
#include "leftovers.h"
#include "uninstall_run.h"

namespace {

constexpr unsigned kSeed = 19991005;
constexpr int kKills = 20;
constexpr char kBoard[] = "VEN_10DE&DEV_0028&SUBSYS_00000000&REV_A1";
constexpr char kClassKeys[] = "System\\CurrentControlSet\\Services\\Class\\Display\\";

const char* const kStages[] = {"file copy", "registration", "machine-wide entries"};

struct Write {
    long number;
    std::string call;    // CreateFileA, RegSetValueExA, ...
    std::string detail;  // its path, key or value name
    int stage;           // into kStages
    std::string status;  // the dialog's last recorded state before it
};

// The journal of a run: every write call, in order, with the stage it
// belongs to. The registration of the one board ends with its last mode key;
// what follows is the machine-wide entries.
std::vector<Write> WritesOf(const std::vector<std::string>& lines) {
    std::vector<Write> writes;
    int stage = 0;
    std::string status;
    size_t lastClassKey = 0;
    for (const std::string& line : lines) {
        if (line.rfind("status=", 0) == 0) {
            status = line;
            if (line.find("Adding Registry") != std::string::npos) stage = 1;
        } else if (line.rfind("write=", 0) == 0) {
            const size_t bar = line.find('|'), next = line.find('|', bar + 1);
            Write write{std::stol(line.substr(6, bar - 6)), line.substr(bar + 1, next - bar - 1),
                        line.substr(next + 1), stage, status};
            if (write.call == "RegCreateKeyExA" && write.detail.rfind(kClassKeys, 0) == 0) lastClassKey = writes.size();
            writes.push_back(write);
        }
    }
    // After the last class key's creation and its value.
    for (size_t i = lastClassKey + 2; i < writes.size(); ++i) writes[i].stage = 2;
    return writes;
}

// Runs the installer from `medium` with its writes journaled, to its end
// (Cancel in Done) or until it is killed before write `killAt`.
std::vector<std::string> RunJournaled(const std::string& medium, long killAt, bool& killed) {
    killed = false;
    TempFolder logFolder;
    StateRecording recording(logFolder / "journal.log");
    SetEnvironmentVariableA("VARNEL_KILL_AT_WRITE", std::to_string(killAt).c_str());
    DrivenProgram installer(InstallerPath(), medium);
    SetEnvironmentVariableA("VARNEL_KILL_AT_WRITE", nullptr);
    HWND dialog = installer.WaitForDialog(kInstallCaption);
    if (dialog == nullptr || !recording.Attach(installer)) {
        ADD_FAILURE() << "the installer did not open, or the recorder could not be hooked in";
        return {};
    }
    // Wine loads a hook's DLL into the program when the hooked thread first
    // handles a message; the recorder then starts the journal. Before OK, so
    // that no write goes unseen.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
    std::vector<std::string> started = recording.Lines();
    for (int i = 0; i < 100 && started.empty(); ++i) {
        Sleep(50);
        SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
        started = recording.Lines();
    }
    if (started.empty() || started.front() != "journal") {
        ADD_FAILURE() << "the journal did not start: " << ::testing::PrintToString(started);
        return {};
    }
    ClickItem(dialog, IDOK);
    if (killAt > 0) {
        killed = installer.WaitForExit(120000) && installer.exitCode() == 255;
    } else {
        const DWORD start = GetTickCount();
        while (!ItemVisible(dialog, 1002) && GetTickCount() - start < 120000) Sleep(20);
        ClickItem(dialog, IDCANCEL);
        installer.WaitForExit(20000);
    }
    return recording.Lines();
}

// An earlier release's copy of an installed file.
std::string EarlierContent(const std::string& target) {
    return "An earlier release's " + target + "\r\n";
}

// After a kill, each installed file is the earlier one or the new one,
// whole, and the names beside one file at most are left. Windows 9x cannot
// replace a file in one call, so a kill between the two renames leaves it
// missing, the earlier one whole stepped aside and the new one whole beside
// it. `copying`: the file whose copy the kill hit, told back as what it left
// of that file.
::testing::AssertionResult EarlierOrNewWhole(const std::string& medium, const std::set<std::string>& earlier,
                                             int copying, std::string& left) {
    const std::string windows = MachineWindowsDirectory();
    const std::vector<GoldenDriverFile> files = GoldenDriverFiles();
    std::set<std::string> besideLeft;  // the files with names left beside them
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string target = windows + files[i].target;
        const std::string fresh = ReadFileBytes(medium + files[i].source);
        const bool present = FileExists(target), hadOne = earlier.count(files[i].target) > 0;
        const std::string now = ReadFileBytes(target);
        std::string state = !present ? "absent" : now == fresh ? "new" : hadOne && now == EarlierContent(files[i].target) ? "earlier" : "";
        const std::string newFile = BesideOf(target, Beside::kNew), aside = BesideOf(target, Beside::kSteppedAside);
        for (const std::string& name : {newFile, aside, BesideOf(target, Beside::kStaged)}) {
            if (!FileExists(name)) continue;
            besideLeft.insert(files[i].target);
            if (static_cast<int>(i) == copying)
                state += ", " + name.substr(name.rfind('\\') + 1) + " of " + std::to_string(ReadFileBytes(name).size()) + " bytes";
        }
        if (static_cast<int>(i) == copying) left = files[i].target + (hadOne ? " (had one): " : ": ") + state;
        if (state.empty()) return ::testing::AssertionFailure() << target << " is neither the earlier file nor the new one";
        if (!present && hadOne && (ReadFileBytes(aside) != EarlierContent(files[i].target) || ReadFileBytes(newFile) != fresh))
            return ::testing::AssertionFailure() << target << " is gone and not both whole beside it";
    }
    if (besideLeft.size() > 1) return ::testing::AssertionFailure() << "names left beside " << ::testing::PrintToString(besideLeft);
    return ::testing::AssertionSuccess();
}

// What the dialog showed: its status text and the bar's position.
std::string Shown(const std::string& status) {
    if (status.empty()) return "nothing yet";
    const size_t text = std::string("status=").size(), bar = status.rfind(',');
    return "\"" + status.substr(text, status.find('|') - text) + "\", bar at " + status.substr(bar + 1);
}

class InterruptedInstallTest : public EndToEndTest {
protected:
    // Kills `first` to `last` of the seeded series, each then run again and uninstalled.
    void KillThenRunAgainOrUninstall(int first, int last);
};

void InterruptedInstallTest::KillThenRunAgainOrUninstall(int first, int last) {
    const auto started = std::chrono::steady_clock::now();
    PlantBoard(kBoard, {"0000", "0001"});
    // Neighbours the cut-short machine must keep: another driver's class key,
    // named by the board's instances until the install points them elsewhere.
    PutValue(std::string(kClassKeys) + "0000", "InfSection", SzValue("VGA"));
    PutValue(std::string(kClassKeys) + "0000\\DEFAULT", "drv", SzValue("vga.drv"));
    for (const char* instance : {"0000", "0001"})
        PutValue(std::string("Enum\\PCI\\") + kBoard + "\\" + instance, "Driver", SzValue("DISPLAY\\0000"));
    PutValue("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "SystemTray", SzValue("SysTray.Exe"));
    const std::string board = std::string("Enum\\PCI\\") + kBoard;
    const std::set<std::string> instanceKeys = {board + "\\0000", board + "\\0001"};
    const MachineState neighbours = CaptureMachine();
    // Every other driver file is there from an earlier install: the copy of
    // those replaces a file, the others' makes one.
    const std::vector<GoldenDriverFile> files = GoldenDriverFiles();
    std::set<std::string> earlier;
    MakeFolder(MachineWindowsDirectory() + "INF\\OTHER");
    for (size_t i = 0; i < files.size(); i += 2) {
        WriteFileBytes(MachineWindowsDirectory() + files[i].target, EarlierContent(files[i].target));
        earlier.insert(files[i].target);
    }
    const MachineState planted = CaptureMachine();

    // The uninterrupted install: where every run must end, and its writes.
    bool killed = false;
    const std::vector<Write> writes = WritesOf(RunJournaled(medium.path(), 0, killed));
    ASSERT_FALSE(writes.empty());
    const MachineState installed = CaptureMachine();
    ASSERT_TRUE(PlacedLikeTheirSources(medium.path()));
    // By stage, and within a stage by what the dialog showed (in the file
    // copy, one group per file: the uninstaller's own copy alone takes
    // hundreds of writes).
    std::vector<std::map<std::string, std::vector<long>>> byStage(3);
    size_t perStage[3] = {};
    for (const Write& write : writes) {
        byStage[write.stage][write.status].push_back(write.number);
        ++perStage[write.stage];
    }
    for (int stage = 0; stage < 3; ++stage) ASSERT_FALSE(byStage[stage].empty()) << kStages[stage];
    std::printf("An uninterrupted install makes %zu writes: %zu in the file copy, %zu in the registration, "
                "%zu for the machine-wide entries.\n",
                writes.size(), perStage[0], perStage[1], perStage[2]);

    std::mt19937 random(kSeed);
    std::set<long> moments;
    std::vector<std::pair<int, long>> planned;  // the kill's number, the write it stops before
    for (int kill = 1; kill <= last; ++kill) {
        // The stages in turn; in each, a step, then a write of that step not taken before.
        const auto& steps = byStage[(kill - 1) % 3];
        long at = 0;
        do {
            auto step = steps.begin();
            std::advance(step, std::uniform_int_distribution<size_t>(0, steps.size() - 1)(random));
            at = step->second[std::uniform_int_distribution<size_t>(0, step->second.size() - 1)(random)];
        } while (!moments.insert(at).second);
        if (kill >= first) planned.push_back({kill, at});
    }
    // Then the installer stops before every write of the copy of the third
    // file, one an earlier install left in the System folder, where others
    // are missing (every other write in each half): wherever its replacement
    // is cut short, the file stays whole.
    const auto third = std::find_if(writes.begin(), writes.end(), [](const Write& write) {
        return write.status.size() > 2 && write.status.compare(write.status.size() - 2, 2, ",2") == 0;
    });
    ASSERT_NE(third, writes.end());
    const std::vector<long>& thirdCopy = byStage[0][third->status];
    for (size_t i = first == 1 ? 0 : 1; i < thirdCopy.size(); i += 2)
        planned.push_back({kKills + 1 + static_cast<int>(i), thirdCopy[i]});
    int hits[3] = {};
    for (const auto& [kill, at] : planned) {
        const Write& write = writes[at - 1];
        SCOPED_TRACE("kill " + std::to_string(kill) + " before write " + std::to_string(at) + " of seed " +
                     std::to_string(kSeed));
        RestoreMachine(planted);

        const std::vector<std::string> lines = RunJournaled(medium.path(), at, killed);
        ASSERT_TRUE(killed) << "the installer ran past write " << at;
        ASSERT_EQ(lines.back(), "killed=" + std::to_string(at));
        // The same writes, in the same dialog states, as the uninterrupted
        // run up to there: the kill hit the planned moment and its stage.
        const std::vector<Write> made = WritesOf(lines);
        ASSERT_EQ(made.size(), static_cast<size_t>(at - 1));
        for (size_t i = 0; i < made.size(); ++i)
            ASSERT_TRUE(made[i].call == writes[i].call && made[i].detail == writes[i].detail &&
                        made[i].status == writes[i].status)
                << "write " << i + 1 << " differs: " << made[i].call << " " << made[i].detail;
        ++hits[write.stage];
        // In the file copy, the bar stands at the number of files done.
        const int copying = write.stage == 0 && !write.status.empty() ? std::stoi(write.status.substr(write.status.rfind(',') + 1)) : -1;
        std::string copied;
        EXPECT_TRUE(EarlierOrNewWhole(medium.path(), earlier, copying, copied));
        std::printf("kill %2d: before write %3ld of %zu, %s %s: %s (%s)%s%s\n", kill, at, writes.size(),
                    write.call.c_str(), write.detail.empty() ? "\"\"" : write.detail.c_str(), kStages[write.stage],
                    Shown(write.status).c_str(), copied.empty() ? "" : "; left ", copied.c_str());
        std::fflush(stdout);
        const MachineState cutShort = CaptureMachine();

        // Run again without the file the kill cut short (unless it is the
        // setup file, which marks the medium), the install can only leave it
        // as the kill did: the file whole in place, or the old one put back.
        const bool without = copying >= 0 && files[copying].source != files[0].source;
        const std::string cutShortFile = without ? MachineWindowsDirectory() + files[copying].target : "";
        const std::string leftWhole =
            without ? ReadFileBytes(FileExists(cutShortFile) ? cutShortFile : BesideOf(cutShortFile, Beside::kSteppedAside)) : "";
        TempFolder lacking;
        MakeMedium(lacking.path());
        if (without) DeleteFileA((lacking / files[copying].source).c_str());
        const InstallRun again = RunInstaller(lacking.path());
        ASSERT_TRUE(again.reachedDone && again.ended);
        EXPECT_EQ(again.boxes.size(), without ? 1u : 0u);
        MachineChanges left = CompareMachines(installed, CaptureMachine());
        if (without) {
            EXPECT_EQ(ReadFileBytes(cutShortFile), leftWhole) << "neither put back nor left as it was";
            left.changedFiles.erase(UpperCase(files[copying].target));
            left.removedFiles.erase(UpperCase(files[copying].target));
        }
        EXPECT_TRUE(left.empty()) << "run again, the install ends elsewhere: " << ::testing::PrintToString(left.Describe());
        if (!without) {
            EXPECT_TRUE(PlacedLikeTheirSources(lacking.path()));
        }

        // The same cut-short machine, uninstalled with the medium's uninstaller.
        RestoreMachine(cutShort);
        const UninstallRun uninstall = RunUninstaller(medium / "UnVarnel.exe");
        EXPECT_TRUE(uninstall.questionAsked && uninstall.ended);
        // The earlier install's files are the product's to remove.
        EXPECT_TRUE(NothingBeyondTheLeftovers(CompareMachines(neighbours, CaptureMachine()), instanceKeys));
        if (HasFailure()) break;
    }
    std::printf("kills %d to %d (seed %u) and %zu in the third file's copy: %d in the %s, %d in the %s, %d in the %s; "
                "%.0f s\n", first, last, kSeed, planned.size() - (last - first + 1),
                hits[0], kStages[0], hits[1], kStages[1], hits[2], kStages[2],
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

// In two halves of the series, which run side by side.
TEST_F(InterruptedInstallTest, KilledAnywhereThenRunAgainOrUninstalledFirstHalf) {
    KillThenRunAgainOrUninstall(1, kKills / 2);
}

TEST_F(InterruptedInstallTest, KilledAnywhereThenRunAgainOrUninstalledSecondHalf) {
    KillThenRunAgainOrUninstall(kKills / 2 + 1, kKills);
}

}  // namespace

// Full installs with the real InstVarnel.exe on the Windows 98 prefix: what
// the user sees in each state, and what changes on the machine.
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "e2e_fixture.h"
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

::testing::AssertionResult FilesDeployedFrom(const MachineChanges& changes, const std::string& windows,
                                             bool systemIniChanged) {
    // The capture spells paths in upper case.
    std::set<std::string> expected = {"INF\\OTHER\\"};
    for (const GoldenDriverFile& file : GoldenDriverFiles()) expected.insert(UpperCase(file.target));
    if (changes.addedFiles != expected)
        return ::testing::AssertionFailure() << "files added: " << ::testing::PrintToString(changes.addedFiles);
    const std::set<std::string> changed = systemIniChanged ? std::set<std::string>{"SYSTEM.INI"} : std::set<std::string>{};
    if (changes.changedFiles != changed)
        return ::testing::AssertionFailure() << "files changed: " << ::testing::PrintToString(changes.changedFiles);
    // Both copies of the setup file hold the medium's Varnel.inf.
    if (ReadFileBytes(windows + "INF\\OTHER\\ORVAVarnel.inf") != StandInContent("Varnel.inf") ||
        ReadFileBytes(windows + "System\\nvdisp.drv") != StandInContent("nvdisp.drv"))
        return ::testing::AssertionFailure() << "a file does not hold its source's content";
    return ::testing::AssertionSuccess();
}

// Every value the install set lies in one of these keys (or below a class key).
::testing::AssertionResult OnlyProductValuesSet(const MachineChanges& changes, const std::set<std::string>& keys,
                                                const std::set<std::string>& classKeys) {
    for (const auto& [ref, value] : changes.setValues) {
        const std::string key = UpperCase(ref.first);
        bool expected = keys.count(key) > 0;
        for (const auto& classKey : classKeys)
            expected = expected || key == UpperCase(classKey) || key.rfind(UpperCase(classKey) + "\\", 0) == 0;
        if (!expected) return ::testing::AssertionFailure() << "unexpected write: " << ref.first << " [" << ref.second << "]";
    }
    if (!changes.removedKeys.empty() || !changes.removedValues.empty())
        return ::testing::AssertionFailure() << "the installer deleted something";
    return ::testing::AssertionSuccess();
}

std::set<std::string> MachineWideKeys() {
    std::set<std::string> keys;
    for (const char* key : {
             "Software\\Microsoft\\Windows\\CurrentVersion\\OpenGLdrivers", "Control Panel\\Keyboard",
             "System\\CurrentControlSet\\Services\\VxD\\VGARTD", "Software\\Microsoft\\Windows\\CurrentVersion",
             "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\SetupX\\INF\\OEM Name",
             "Config\\0001\\Display\\Settings", "Software\\CLASSES\\CLSID\\{67E0E3C0-3068-11D3-8BD1-00104B6F7516}",
             "Software\\CLASSES\\CLSID\\{67E0E3C0-3068-11D3-8BD1-00104B6F7516}\\InProcServer32",
             "Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\Shellex\\PropertySheetHandlers\\"
             "ORVA Varnel CPL Extension",
             "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Software\\NVIDIA Corporation\\Global\\System",
             "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORVA Varnel"})
        keys.insert(UpperCase(key));
    return keys;
}

void ExpectMachineWideEntries(const std::string& windows) {
    EXPECT_TRUE(HasString("Software\\Microsoft\\Windows\\CurrentVersion\\OpenGLdrivers", "RIVATNT", "nvopengl.dll"));
    EXPECT_TRUE(HasString("Control Panel\\Keyboard", "KeyBoardSpeed", "31"));
    EXPECT_TRUE(HasString("Control Panel\\Keyboard", "KeyBoardDelay", "0"));
    EXPECT_TRUE(HasString("System\\CurrentControlSet\\Services\\VxD\\VGARTD", "StaticVxD", "vgartd.vxd"));
    EXPECT_TRUE(HasString("Software\\Microsoft\\Windows\\CurrentVersion", "OtherDevicePath", windows + "INF\\OTHER"));
    EXPECT_TRUE(HasString("Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\SetupX\\INF\\OEM Name",
                          windows + "INF\\OTHER\\ORVAVarnel.INF", "ORVAVarnel.INF"));
    EXPECT_TRUE(HasString("Config\\0001\\Display\\Settings", "BitsPerPixel", "16"));
    EXPECT_TRUE(HasString("Config\\0001\\Display\\Settings", "Resolution", "640,480"));
    EXPECT_TRUE(HasString("Software\\CLASSES\\CLSID\\{67E0E3C0-3068-11D3-8BD1-00104B6F7516}", "",
                          "ORVA Varnel CPL Extension"));
    EXPECT_TRUE(HasString("Software\\CLASSES\\CLSID\\{67E0E3C0-3068-11D3-8BD1-00104B6F7516}\\InProcServer32", "",
                          windows + "System\\nvcpl.dll"));
    EXPECT_TRUE(HasString("Software\\CLASSES\\CLSID\\{67E0E3C0-3068-11D3-8BD1-00104B6F7516}\\InProcServer32",
                          "ThreadingModel", "Apartment"));
    EXPECT_TRUE(HasString("Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\Shellex\\"
                          "PropertySheetHandlers\\ORVA Varnel CPL Extension",
                          "", "{67E0E3C0-3068-11D3-8BD1-00104B6F7516}"));
    EXPECT_TRUE(HasString("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "DisplayTrayIcon",
                          windows + "System\\TrayIcon.exe"));
    EXPECT_TRUE(HasValue("Software\\NVIDIA Corporation\\Global\\System", "EnableVia4X", DwordValue(0)));
    EXPECT_TRUE(HasString("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORVA Varnel", "DisplayName",
                          "ORVA Varnel Windows 9X / ME Display Drivers"));
    EXPECT_TRUE(HasString("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORVA Varnel", "UninstallString",
                          windows + "SYSTEM\\UnVarnel.exe"));
    const std::string systemIni = ReadFileBytes(windows + "system.ini");
    EXPECT_NE(systemIni.find("[386Enh]"), std::string::npos);
    EXPECT_NE(systemIni.find("EMMExclude=C000-CFFF,C000-CFFF"), std::string::npos);
}

void ExpectInstance(const std::string& key, const std::string& board, const std::string& driver) {
    EXPECT_TRUE(HasString(key, "Class", "DISPLAY"));
    EXPECT_TRUE(HasString(key, "DeviceDesc", board));
    EXPECT_TRUE(HasString(key, "Driver", driver));
    EXPECT_TRUE(HasString(key, "Mfg", "ORVA"));
    EXPECT_TRUE(HasValue(key, "ConfigFlags", BinaryValue(std::string(4, '\0'))));
}

int ModeKeyCount(const std::string& classKey) {
    int count = 0;
    for (const auto& depth : SubkeyNames(classKey + "\\MODES")) count += SubkeyNames(classKey + "\\MODES\\" + depth).size();
    return count;
}

void ExpectClassKey(const std::string& classKey, const std::string& board, const std::string& tag,
                    const std::string& deviceId, int modeKeys) {
    EXPECT_TRUE(HasString(classKey, "DriverDesc", board));
    EXPECT_TRUE(HasString(classKey, "InfSection", tag));
    EXPECT_TRUE(HasString(classKey, "MatchingDeviceId", deviceId));
    EXPECT_TRUE(HasString(classKey, "DevLoader", "*vdd"));
    EXPECT_TRUE(HasString(classKey, "InfPath", "VARNEL.INF"));
    EXPECT_TRUE(HasString(classKey, "ProviderName", "ORVA"));
    EXPECT_TRUE(HasString(classKey, "Ver", "4.0"));
    EXPECT_TRUE(HasValue(classKey + "\\NVIDIA\\DirectDraw", "OverlayMode", DwordValue(1)));
    EXPECT_TRUE(HasValue(classKey + "\\DEFAULT", "CHIPID", BinaryValue(std::string("\x00\x40\x11\x20\x00\x00", 6))));
    EXPECT_TRUE(HasString(classKey + "\\DEFAULT", "Mode", "16,640,480"));
    EXPECT_TRUE(HasString(classKey + "\\DEFAULT", "drv", "nvdisp.drv"));
    EXPECT_TRUE(HasString(classKey + "\\shellex\\PropertySheetHandlers\\ORVA Varnel CPL Extension", "",
                          "{67E0E3C0-3068-11D3-8BD1-00104B6F7516}"));
    EXPECT_TRUE(HasString(classKey + "\\MODES\\4\\640,480", "drv", "vga.drv"));
    EXPECT_TRUE(HasString(classKey + "\\MODES\\8\\640,480", "", "60,70,72,75,85,100,120,140,144,150,170,200, 240"));
    EXPECT_EQ(ModeKeyCount(classKey), modeKeys + 1) << classKey << ": refresh-list keys and the 16-colour key";
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
    EXPECT_TRUE(FilesDeployedFrom(changes, windows, false));
    EXPECT_TRUE(changes.setValues.empty() && changes.addedKeys.empty())
        << ::testing::PrintToString(changes.Describe());
}

TEST_F(InstallTest, OneQ2BoardWithTwoInstancesIsRegisteredWithTheMachineWideEntries) {
    const std::string board = "VEN_10DE&DEV_0028&SUBSYS_00000000&REV_A1";
    PlantBoard(board, {"0000", "0001"});
    const MachineState before = CaptureMachine();
    const InstallRun run = RunInstaller(medium.path());
    ASSERT_TRUE(run.reachedDone);
    ExpectCopyingRegisteringDone(run, "\tCopying Files...", "\tAdding Registry...", kCompleteText);

    const MachineChanges changes = CompareMachines(before, CaptureMachine());
    EXPECT_TRUE(FilesDeployedFrom(changes, windows, true));
    for (const char* instance : {"0000", "0001", "000800"})
        ExpectInstance("Enum\\PCI\\" + board + "\\" + instance, "ORVA Varnel Q2", "DISPLAY\\0000");
    ExpectClassKey(std::string(kClassKey) + "0000", "ORVA Varnel Q2", "Q2", "PCI\\VEN_10DE&DEV_0028", 38);
    EXPECT_TRUE(HasString(std::string(kClassKey) + "0000\\MODES\\8\\1024,768", "",
                          "60,70,72,75,85,100,120,140,144,150,170,200"));
    EXPECT_FALSE(KeyExists(std::string(kClassKey) + "0000\\MODES\\32\\2048,1536"));
    ExpectMachineWideEntries(windows);

    std::set<std::string> keys = MachineWideKeys();
    for (const char* instance : {"0000", "0001", "000800"}) keys.insert(UpperCase("Enum\\PCI\\" + board + "\\" + instance));
    EXPECT_TRUE(OnlyProductValuesSet(changes, keys, {std::string(kClassKey) + "0000"}));
}

TEST_F(InstallTest, BoardsOfTwoGroupsGetAClassKeyEachWithItsOwnModes) {
    const std::string q5 = "VEN_10DE&DEV_0100&SUBSYS_00000000&REV_A1";
    const std::string q6lite = "VEN_10DE&DEV_0110&SUBSYS_00000000&REV_A1";
    PlantBoard(q5, {"0000"});
    PlantBoard(q6lite, {"0000"});
    const MachineState before = CaptureMachine();
    const InstallRun run = RunInstaller(medium.path());
    ASSERT_TRUE(run.reachedDone);

    ExpectInstance("Enum\\PCI\\" + q5 + "\\000800", "ORVA Varnel Q5", "DISPLAY\\0000");
    ExpectInstance("Enum\\PCI\\" + q6lite + "\\0000", "ORVA Varnel Q6 Lite", "DISPLAY\\0001");
    ExpectClassKey(std::string(kClassKey) + "0000", "ORVA Varnel Q5", "Q5", "PCI\\VEN_10DE&DEV_0100", 39);
    ExpectClassKey(std::string(kClassKey) + "0001", "ORVA Varnel Q6 Lite", "Q6LITE", "PCI\\VEN_10DE&DEV_0110", 39);
    EXPECT_TRUE(HasString(std::string(kClassKey) + "0000\\MODES\\32\\2048,1536", "", "60"));
    EXPECT_TRUE(HasString(std::string(kClassKey) + "0001\\MODES\\16\\1920,1440", "", "60,70,75"));
    ExpectMachineWideEntries(windows);

    const MachineChanges changes = CompareMachines(before, CaptureMachine());
    std::set<std::string> keys = MachineWideKeys();
    for (const auto& board : {q5, q6lite})
        for (const char* instance : {"0000", "000800"}) keys.insert(UpperCase("Enum\\PCI\\" + board + "\\" + instance));
    EXPECT_TRUE(OnlyProductValuesSet(changes, keys, {std::string(kClassKey) + "0000", std::string(kClassKey) + "0001"}));
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

TEST_F(InstallTest, SourcesOnlyInDriverWin9XAreTakenFromThere) {
    TempFolder cd;
    MakeFolder(cd / "Driver");
    MakeFolder(cd / "Driver\\Win9X");
    MakeMedium(cd / "Driver\\Win9X\\");
    const MachineState before = CaptureMachine();
    const InstallRun run = RunInstaller(cd.path());
    ASSERT_TRUE(run.reachedDone);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(FilesDeployedFrom(CompareMachines(before, CaptureMachine()), windows, false));
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


TEST_F(InstallTest, ChineseSystemsSeeTheBig5StatusTextsAndYesNoButtons) {
    ASSERT_EQ(GetSystemDefaultLangID(), 0x0404) << "run with LC_ALL=zh_TW.UTF-8";
    const InstallRun run = RunInstaller(medium.path());
    ASSERT_TRUE(run.reachedDone);
    ExpectCopyingRegisteringDone(
        run, Big5(L"\t開始複製檔案..."), Big5(L"\t更新登錄資料..."),
        Big5(L"\t          安裝完成.\n\n必須重新啟動電腦，以使 Varnel 正常工作。\n\n現在重新啟動電腦？"));
    EXPECT_EQ(run.done.rebootText, Big5(L"確定(&Y)"));
    EXPECT_EQ(run.done.cancelText, Big5(L"取消(&N)"));
}

}  // namespace

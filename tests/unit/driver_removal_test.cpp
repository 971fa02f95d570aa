// DeleteDriverFiles and DeleteRegistryEntries on the real (Wine) registry and
// file system, each test with its own HKEY_LOCAL_MACHINE and a temporary
// folder standing in for the Windows directory.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "beside_names.h"
#include "golden.h"
#include "recording_uninstall_dialog.h"
#include "registry_listing.h"
#include "key_paths.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace {

constexpr char kClass[] = "System\\CurrentControlSet\\Services\\Class";
constexpr char kBoardA[] = "Enum\\PCI\\VEN_10DE&DEV_0028&SUBSYS_00000000&REV_A1";
constexpr char kBoardB[] = "Enum\\PCI\\VEN_10DE&DEV_0100&SUBSYS_10DE0001&REV_A1";
constexpr char kOtherMakersBoard[] = "Enum\\PCI\\VEN_8086&DEV_7190&SUBSYS_00000000&REV_03";

std::string ClassKey(const std::string& name) {
    return std::string(kClass) + "\\" + name;
}

// A display-class key as the installer leaves it, with subkeys two levels deep.
void PlantClassKey(const std::string& name) {
    PutValue(ClassKey(name), "InfSection", SzValue("NV4"));
    PutValue(ClassKey(name) + "\\DEFAULT", "drv", SzValue("nvdisp.drv"));
    PutValue(ClassKey(name) + "\\MODES\\16\\640,480", "", SzValue("60,75"));
}

void PlantClassKeys() {
    PutValue(ClassKey("Display"), "", SzValue("Display adapters"));
    for (const char* name : {"Display\\0000", "Display\\0001", "Display\\0002", "Display\\0003", "MEDIA\\0000"})
        PlantClassKey(name);
}

void PlantInstance(const std::string& board, const std::string& instance, const std::string& driver) {
    PutValue(board + "\\" + instance, "Driver", SzValue(driver));
    PutValue(board + "\\" + instance, "Class", SzValue("DISPLAY"));
}

// The removal operations need no window: the boards are detected as the
// dialog's opening does, without the dialog (a window costs seconds under Wine).
class DriverRemovalTest : public RegistrySandbox {
protected:
    bool Prepare(const std::string& windowsFolder) {
        DetectAdapters(adapters_);
        return dialog_.UseWindowsDirectory(windowsFolder);
    }

    TempFolder windows_;
    AdapterTable adapters_{};
    RecordingUninstallDialog dialog_{adapters_};
};

// ---- the boards' class and instance keys ----

TEST_F(DriverRemovalTest, EachBoardLosesTheClassKeyItsDriverNamesAndItsInstanceKey) {
    PlantClassKeys();
    PlantInstance(kBoardA, "000800", "DISPLAY\\0001");
    PlantInstance(kBoardA, "000801", "DISPLAY\\0002");  // an earlier install's instance
    PlantInstance(kBoardB, "000800", "DISPLAY\\0003");
    PlantInstance(kOtherMakersBoard, "000800", "DISPLAY\\0000");  // never detected
    ASSERT_TRUE(Prepare(windows_.path()));
    ASSERT_EQ(adapters_.count, 2);

    dialog_.DeleteRegistryEntries();

    EXPECT_FALSE(KeyExists(ClassKey("Display\\0001")));
    EXPECT_FALSE(KeyExists(ClassKey("Display\\0003")));
    EXPECT_EQ(SubkeyNames(ClassKey("Display")), (std::vector<std::string>{"0000", "0002"}));
    EXPECT_EQ(KeyTree(ClassKey("Display\\0000")),
              (std::vector<std::string>{"DEFAULT", "MODES", "MODES\\16", "MODES\\16\\640,480"}));
    EXPECT_TRUE(HasString(ClassKey("Display"), "", "Display adapters"));
    EXPECT_TRUE(KeyExists(ClassKey("MEDIA\\0000\\MODES\\16\\640,480")));
    EXPECT_EQ(SubkeyNames(kBoardA), std::vector<std::string>{"000801"});
    EXPECT_TRUE(HasString(std::string(kBoardA) + "\\000801", "Driver", "DISPLAY\\0002"));
    EXPECT_TRUE(KeyExists(kBoardB));
    EXPECT_TRUE(SubkeyNames(kBoardB).empty());
    EXPECT_TRUE(HasString(std::string(kOtherMakersBoard) + "\\000800", "Driver", "DISPLAY\\0000"));
}

TEST_F(DriverRemovalTest, AClassKeyGoneWithTheFirstBoardIsSimplyAbsentForTheSecond) {
    PlantClassKeys();
    PlantInstance(kBoardA, "000800", "DISPLAY\\0001");
    PlantInstance(kBoardB, "000800", "DISPLAY\\0001");
    ASSERT_TRUE(Prepare(windows_.path()));

    dialog_.DeleteRegistryEntries();

    EXPECT_EQ(SubkeyNames(ClassKey("Display")), (std::vector<std::string>{"0000", "0002", "0003"}));
    EXPECT_TRUE(KeyExists(ClassKey("MEDIA\\0000")));
    EXPECT_FALSE(KeyExists(std::string(kBoardA) + "\\000800"));
    EXPECT_FALSE(KeyExists(std::string(kBoardB) + "\\000800"));
}

TEST_F(DriverRemovalTest, AMissingOrEmptyDriverValueDeletesNoClassKey) {
    PlantClassKeys();
    PutValue(std::string(kBoardA) + "\\000800", "Class", SzValue("DISPLAY"));  // no "Driver"
    PlantInstance(kBoardB, "000800", "");
    const std::vector<std::string> before = KeyTree(kClass);
    ASSERT_TRUE(Prepare(windows_.path()));

    dialog_.DeleteRegistryEntries();

    EXPECT_EQ(KeyTree(kClass), before);
    EXPECT_FALSE(KeyExists(std::string(kBoardA) + "\\000800"));
    EXPECT_FALSE(KeyExists(std::string(kBoardB) + "\\000800"));
}

TEST_F(DriverRemovalTest, ADriverValueNotOfTheInstallersFormDeletesNoClassKey) {
    // The installer writes DISPLAY\ and four digits, upper case. Anything
    // else names some other driver's key, or a whole class, or a key below one.
    const char* const forms[] = {
        "DISPLAY",       "DISPLAY\\",       "MEDIA\\0000",  "DISPLAY\\0001\\MODES", "display\\0001",
        "Display\\0001", "DISPLAY\\001",    "DISPLAY\\00011", "DISPLAY\\000A",      "DISPLAY\\0001 ",
        "DISPLAY\\\\0001", "DISPLAY\\-001", "DISPLAY\\0001\\",
    };
    PlantClassKeys();
    const std::vector<std::string> before = KeyTree(kClass);
    PlantInstance(kBoardA, "000800", "");
    ASSERT_TRUE(Prepare(windows_.path()));
    for (const char* form : forms) {
        SCOPED_TRACE(form);
        PlantInstance(kBoardA, "000800", form);

        dialog_.DeleteRegistryEntries();

        EXPECT_EQ(KeyTree(kClass), before);
        EXPECT_FALSE(KeyExists(std::string(kBoardA) + "\\000800"));
    }
}

TEST_F(DriverRemovalTest, TheHighestClassNumberTheInstallerGivesIsTrusted) {
    PlantClassKeys();
    PlantClassKey("Display\\0099");
    PlantInstance(kBoardA, "000800", "DISPLAY\\0099");
    ASSERT_TRUE(Prepare(windows_.path()));

    dialog_.DeleteRegistryEntries();

    EXPECT_EQ(SubkeyNames(ClassKey("Display")), (std::vector<std::string>{"0000", "0001", "0002", "0003"}));
}

// ---- the machine-wide entries ----

constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kVxd[] = "System\\CurrentControlSet\\Services\\VxD";
constexpr char kOpenGl[] = "Software\\Microsoft\\Windows\\CurrentVersion\\OpenGLdrivers";
constexpr char kOemName[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\SetupX\\INF\\OEM Name";
constexpr char kHandlers[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\Shellex\\PropertySheetHandlers";
constexpr char kClsid[] = "Software\\CLASSES\\CLSID";

std::string Under(const char* parent, const std::string& name) {
    return std::string(parent) + "\\" + name;
}

TEST_F(DriverRemovalTest, MachineWideEntriesGoAndTheirNeighboursStay) {
    // What the uninstaller removes by name, a key with a subkey of its own.
    const std::vector<std::string> goneKeys = GoldenLeftoverKeys("gone", {});
    const std::set<std::pair<std::string, std::string>> goneValues = GoldenRemovedValues("D:\\WIN98\\");
    ASSERT_FALSE(goneKeys.empty() || goneValues.empty());
    for (const std::string& key : goneKeys) PutValue(key + "\\Planted", "", SzValue("x"));
    for (const auto& [key, name] : goneValues) PutValue(key, name, SzValue("x"));
    PutValue(keys::kDisplaySettingsKey, "BitsPerPixel", SzValue("16"));
    PutValue(keys::kDisplaySettingsKey, "Resolution", SzValue("1024,768"));
    // Their neighbours.
    PutValue(Under(kUninstall, "Other Program"), "UninstallString", SzValue("other.exe"));
    PutValue("Software\\ORVA\\Tools", "Path", SzValue("C:\\ORVA"));
    PutKey(Under(kVxd, "VNETSUP"));
    PutValue(kOpenGl, "OTHERGL", SzValue("othergl.dll"));
    PutValue(keys::kRunKey, "SystemTray", SzValue("SysTray.Exe"));
    PutValue(kOemName, "C:\\WINDOWS\\INF\\OTHER\\ORVAVarnel.INF", SzValue("ORVA"));
    PutValue(kOemName, "D:\\WIN98\\INF\\OTHER\\Other.INF", SzValue("Other"));
    PutKey(Under(kHandlers, "Other Extension"));
    PutValue(keys::kNvidiaKey, "OtherSetting", DwordValue(1));
    PutValue(keys::kDisplaySettingsKey, "fonts.fon", SzValue("vgasys.fon"));
    PutKey(Under(kClsid, "{00000000-0000-0000-0000-000000000001}\\InProcServer32"));
    PutValue("Software\\Microsoft\\Windows\\CurrentVersion", "OtherDevicePath", SzValue("D:\\WIN98\\INF\\OTHER"));
    ASSERT_TRUE(Prepare("D:\\WIN98\\"));

    dialog_.DeleteRegistryEntries();

    for (const std::string& key : goneKeys) EXPECT_FALSE(KeyExists(key)) << key;
    for (const auto& [key, name] : goneValues) EXPECT_FALSE(GetValue(key, name)) << key << " [" << name << "]";
    EXPECT_EQ(SubkeyNames(kUninstall), std::vector<std::string>{"Other Program"});
    EXPECT_EQ(SubkeyNames("Software\\ORVA"), std::vector<std::string>{"Tools"});
    EXPECT_EQ(SubkeyNames(kVxd), std::vector<std::string>{"VNETSUP"});
    EXPECT_EQ(ValueNames(kOpenGl), std::vector<std::string>{"OTHERGL"});
    EXPECT_EQ(ValueNames(keys::kRunKey), std::vector<std::string>{"SystemTray"});
    std::vector<std::string> oemNames = ValueNames(kOemName);
    std::sort(oemNames.begin(), oemNames.end());
    EXPECT_EQ(oemNames, (std::vector<std::string>{"C:\\WINDOWS\\INF\\OTHER\\ORVAVarnel.INF",
                                                  "D:\\WIN98\\INF\\OTHER\\Other.INF"}));
    EXPECT_EQ(SubkeyNames(kHandlers), std::vector<std::string>{"Other Extension"});
    EXPECT_EQ(ValueNames(keys::kNvidiaKey), std::vector<std::string>{"OtherSetting"});
    EXPECT_EQ(SubkeyNames(kClsid), std::vector<std::string>{"{00000000-0000-0000-0000-000000000001}"});
    for (const std::string& line : GoldenLeftoverLines(false, "")) EXPECT_EQ(ValueLineNow(line), line);
    EXPECT_TRUE(HasString(keys::kDisplaySettingsKey, "fonts.fon", "vgasys.fon"));
    EXPECT_TRUE(HasString("Software\\Microsoft\\Windows\\CurrentVersion", "OtherDevicePath",
                          "D:\\WIN98\\INF\\OTHER"));
}

TEST_F(DriverRemovalTest, OnAMachineNeverInstalledOnlyTheSettingsAreWritten) {
    PutValue(keys::kRunKey, "NvColorInit", SzValue("nvcolor.exe"));
    PutValue(keys::kRunKey, "SystemTray", SzValue("SysTray.Exe"));
    const std::vector<std::string> before = KeyTree("");
    ASSERT_TRUE(Prepare(windows_.path()));

    dialog_.DeleteRegistryEntries();

    EXPECT_EQ(ValueNames(keys::kRunKey), std::vector<std::string>{"SystemTray"});
    for (const std::string& line : GoldenLeftoverLines(false, "")) EXPECT_EQ(ValueLineNow(line), line);
    EXPECT_EQ(ValueNames(keys::kDisplaySettingsKey).size(), 2u);
    // Deleting creates nothing: the only new keys are the settings' path.
    std::vector<std::string> expected = before;
    for (const char* key : {"Config", "Config\\0001", "Config\\0001\\Display", keys::kDisplaySettingsKey})
        expected.push_back(key);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(KeyTree(""), expected);
}

// ---- the driver files ----

const std::vector<std::string> kRemovedFiles = GoldenRemovedFiles();
// Files of other software beside the driver's.
const char* const kOtherFiles[] = {"System\\nvdisp.dll", "INF\\OTHER\\Other.inf"};

class DriverFileRemovalTest : public DriverRemovalTest {
protected:
    void SetUp() override {
        DriverRemovalTest::SetUp();
        for (const char* folder : {"INF", "INF\\OTHER", "System"}) MakeFolder(windows_ / folder);
        for (const std::string& file : KeptFiles()) WriteFileBytes(windows_ / file, file);
    }
    // The installed files left in place, and the other software's.
    static std::vector<std::string> KeptFiles() {
        std::vector<std::string> kept(std::begin(kOtherFiles), std::end(kOtherFiles));
        for (const std::string& file : GoldenLeftoverFiles())
            if (file.back() != '\\') kept.push_back(file);
        return kept;
    }
    void ExpectKeptFilesUntouched() {
        for (const std::string& file : KeptFiles()) EXPECT_EQ(ReadFileBytes(windows_ / file), file) << file;
        for (const std::string& file : GoldenLeftoverFiles()) EXPECT_TRUE(FileExists(windows_ / file)) << file;
    }
};

TEST_F(DriverFileRemovalTest, OnlyThePresentFilesAreDeletedAndNothingIsCreated) {
    // No Help folder at all.
    for (const char* file : {"INF\\Varnel.inf", "System\\nvdisp.drv", "System\\UnVarnel.exe"})
        WriteFileBytes(windows_ / file, "driver");
    // What installs cut short left: new files, old ones stepped aside (a kept
    // file's among them, its own name free), and a file staged for the
    // restart, named in WININIT.INI after another program's line.
    const std::string keptCutShort = windows_ / "System\\nvdesk32.dll", staged = windows_ / "System\\nvdisp.drv";
    ASSERT_TRUE(MoveFileA(keptCutShort.c_str(), BesideOf(keptCutShort, Beside::kSteppedAside).c_str()));
    const std::vector<std::string> beside = {
        BesideOf(windows_ / "INF\\Varnel.inf", Beside::kNew), BesideOf(windows_ / "System\\nvcpl.dll", Beside::kNew),
        BesideOf(windows_ / "System\\nvcpl.dll", Beside::kSteppedAside),
        BesideOf(windows_ / "System\\nvfsvm.exe", Beside::kSteppedAside), BesideOf(staged, Beside::kStaged)};
    for (const std::string& file : beside) WriteFileBytes(file, "driver");
    const std::string others = "[rename]\r\nC:\\OTHER\\OTHER.DLL=C:\\OTHER\\OTHER.NEW\r\n";
    WriteFileBytes(windows_ / "WININIT.INI", others + Short(staged) + "=" + Short(beside.back()) + "\r\n");
    ASSERT_TRUE(Prepare(windows_.path()));

    dialog_.DeleteDriverFiles();

    for (const std::string& file : kRemovedFiles) EXPECT_FALSE(FileExists(windows_ / file)) << file;
    for (const std::string& file : beside) EXPECT_FALSE(FileExists(file)) << file;
    EXPECT_EQ(ReadFileBytes(windows_ / "WININIT.INI"), others);
    EXPECT_FALSE(FileExists(windows_ / "Help"));
    ExpectKeptFilesUntouched();
}

TEST_F(DriverFileRemovalTest, AReadOnlyFileStaysAFileInUseGoesAtTheRestartAndEveryOtherGoesNow) {
    MakeFolder(windows_ / "Help");
    for (const std::string& file : kRemovedFiles) WriteFileBytes(windows_ / file, "driver");
    const std::string readOnly = windows_ / "System\\nvcore.vxd";
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    // Held by a program, as Windows 9x holds a loaded driver, which lets it
    // be deleted under the program all the same (as Wine does with FILE_SHARE_DELETE).
    const std::string inUse = windows_ / "System\\nvdisp.drv";
    HANDLE held = CreateFileA(inUse.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(Prepare(windows_.path()));

    dialog_.DeleteDriverFiles();

    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(readOnly), "driver");
    EXPECT_EQ(ReadFileBytes(inUse), "driver");
    EXPECT_EQ(ReadFileBytes(windows_ / "WININIT.INI"), "[rename]\r\nNUL=" + Short(inUse) + "\r\n");
    for (const std::string& file : kRemovedFiles) {
        if (windows_ / file != readOnly && windows_ / file != inUse) {
            EXPECT_FALSE(FileExists(windows_ / file)) << file;
        }
    }
    ExpectKeptFilesUntouched();
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace

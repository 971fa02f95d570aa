// Registration of one board: its display-class key number, its device
// instances, its class key and the values every board brings along.
#include "adapter_registration.h"

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

const std::string kDisplay = "System\\CurrentControlSet\\Services\\Class\\Display\\";
const std::string kQ2 = "Enum\\PCI\\VEN_10DE&DEV_0028&SUBSYS_00000000&REV_A1";
const std::string kQ5 = "Enum\\PCI\\VEN_10DE&DEV_0100&SUBSYS_00000000&REV_A1";

// A board's name in AdapterTable: its key under Enum\PCI.
const char* BoardName(const std::string& hardwareKey) {
    return hardwareKey.c_str() + std::strlen("Enum\\PCI\\");
}

class AdapterRegistrationTest : public RegistrySandbox {
protected:
    // The last step writes a system.ini: into a folder of the test's own.
    void SetUp() override {
        RegistrySandbox::SetUp();
        ASSERT_LT(windows_.path().size(), sizeof dialog_.windowsDirectory);
        std::strcpy(dialog_.windowsDirectory, windows_.path().c_str());
    }
    void PlantClassKey(const std::string& number, const char* infSection) {
        PutKey(kDisplay + number);
        if (infSection != nullptr) PutValue(kDisplay + number, "InfSection", SzValue(infSection));
    }

    // A model-1 board with one instance, then a model-3 board with two.
    void RegisterTwoBoards(InstallDialog& dialog) {
        PutKey(kQ2 + "\\0000");
        PutKey(kQ5 + "\\0000");
        PutKey(kQ5 + "\\0001");
        std::strcpy(dialog.windowsDirectory, windows_.path().c_str());
        dialog.RegisterDisplayAdapter(1, BoardName(kQ2));
        dialog.RegisterDisplayAdapter(3, BoardName(kQ5));
    }

    TempFolder windows_;
    AdapterTable adapters_{};
    RecordingInstallDialog dialog_{adapters_};
};

TEST_F(AdapterRegistrationTest, ClassIndexIsTheTaggedKeyElseTheLowestAbsentOne) {
    EXPECT_EQ(FindDisplayClassIndex("Q2"), 0);
    PlantClassKey("0000", "Q5");
    PlantClassKey("0001", nullptr);                          // present, no tag
    PlantClassKey("0002", std::string(1100, 'Q').c_str());   // present, too long to read
    PlantClassKey("0004", "Q2PLUS");
    PlantClassKey("0005", "q2");
    EXPECT_EQ(FindDisplayClassIndex("Q2"), 3);
    EXPECT_EQ(FindDisplayClassIndex("Q2PLUS"), 4) << "a tagged key wins over a lower free number";
}

TEST_F(AdapterRegistrationTest, TheLastNumber0049IsSearchedToo) {
    for (int i = 0; i < 49; ++i) PlantClassKey((i < 10 ? "000" : "00") + std::to_string(i), "Q5");
    EXPECT_EQ(FindDisplayClassIndex("Q2"), 49) << "free";
    PlantClassKey("0049", "Q2");
    EXPECT_EQ(FindDisplayClassIndex("Q2"), 49) << "tagged";
}

TEST_F(AdapterRegistrationTest, AllFiftyKeysTakenGives99AndTheBoardIsWrittenThere) {
    for (int i = 0; i < 50; ++i) PlantClassKey((i < 10 ? "000" : "00") + std::to_string(i), "Q5");
    PlantClassKey("0050", "Q2");  // beyond the searched range
    EXPECT_EQ(FindDisplayClassIndex("Q2"), 99);
    dialog_.RegisterDisplayAdapter(1, BoardName(kQ2));
    EXPECT_TRUE(HasString(kDisplay + "0099", "InfSection", "Q2"));
    EXPECT_TRUE(HasString(kQ2 + "\\000800", "Driver", "DISPLAY\\0099"));
}

TEST_F(AdapterRegistrationTest, NamedValuesAreReplacedWhateverTheirTypeOthersKept) {
    PutValue(kQ2 + "\\0000", "Driver", SzValue("DISPLAY\\0007"));
    PutValue(kQ2 + "\\0000", "ConfigFlags", DwordValue(1));
    PutValue(kQ2 + "\\0000", "HardwareID", SzValue("kept"));
    PlantClassKey("0000", "Q5");
    PlantClassKey("0001", "Q2");
    PutValue(kDisplay + "0001", "Extra", SzValue("kept"));
    PutValue(kDisplay + "0001\\NVIDIA\\DirectDraw", "OverlayMode", SzValue("0"));
    PutValue(kDisplay + "0001\\DEFAULT", "CHIPID", SzValue("0"));
    PutValue(kDisplay + "0001\\MODES\\24\\640,480", "", SzValue("60"));
    dialog_.RegisterDisplayAdapter(1, BoardName(kQ2));

    EXPECT_TRUE(HasString(kQ2 + "\\0000", "Driver", "DISPLAY\\0001"));
    EXPECT_TRUE(HasValue(kQ2 + "\\0000", "ConfigFlags", BinaryValue(std::string(4, '\0'))));
    EXPECT_TRUE(HasString(kQ2 + "\\0000", "HardwareID", "kept"));
    EXPECT_TRUE(HasString(kDisplay + "0001", "Extra", "kept"));
    EXPECT_TRUE(HasValue(kDisplay + "0001\\NVIDIA\\DirectDraw", "OverlayMode", DwordValue(1)));
    EXPECT_TRUE(HasValue(kDisplay + "0001\\DEFAULT", "CHIPID", BinaryValue(std::string("\x00\x40\x11\x20\x00\x00", 6))));
    EXPECT_TRUE(HasString(kDisplay + "0001\\MODES\\24\\640,480", "", "60"));
    EXPECT_TRUE(SameListing(RegistryListing({kDisplay + "0000"}), {kDisplay + "0000 [InfSection] = REG_SZ \"Q5\""}));
}

TEST_F(AdapterRegistrationTest, ABoardWithoutInstancesStillGetsTheFixedOne) {
    dialog_.RegisterDisplayAdapter(3, BoardName(kQ5));
    EXPECT_EQ(SubkeyNames(kQ5), std::vector<std::string>{"000800"});
    EXPECT_TRUE(HasString(kQ5 + "\\000800", "Driver", "DISPLAY\\0000"));
}

TEST_F(AdapterRegistrationTest, TheFirstBoardWritesItsListingItsCompanionsAndTheSettings) {
    PutKey(kQ2 + "\\0000");
    dialog_.RegisterDisplayAdapter(1, BoardName(kQ2));
    std::vector<std::string> expected = GoldenValues("model1_board.txt");
    for (const char* name : {"driver_companions.txt", "system_settings.txt"})
        for (const std::string& line : GoldenValues(name, windows_.path())) expected.push_back(line);
    // The whole machine: the keyboard values go to its branch, not the user's.
    EXPECT_TRUE(SameListing(ValueLines(RegistryListing({""})), expected));
}

TEST_F(AdapterRegistrationTest, EachModelGetsItsProfileAndSameModelBoardsShareAKey) {
    struct Row {
        AdapterModel model;
        const char* device;
        const char* name;
        const char* tag;
        bool group2;
    } rows[] = {
        {1, "0028", "ORVA Varnel Q2", "Q2", false},     {2, "0029", "ORVA Varnel Q2 Plus", "Q2PLUS", false},
        {3, "0100", "ORVA Varnel Q5", "Q5", true},      {4, "0101", "ORVA Varnel Q5D", "Q5D", true},
        {5, "0150", "ORVA Varnel Q6 Pro", "Q6PRO", true}, {6, "0110", "ORVA Varnel Q6 Lite", "Q6LITE", true},
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 6; ++i) {
            const Row& row = rows[i];
            const std::string name = std::string("VEN_10DE&DEV_") + row.device + "&SUBSYS_0000000" +
                                     std::to_string(pass) + "&REV_A1";
            dialog_.RegisterDisplayAdapter(row.model, name.c_str());
            const std::string k = kDisplay + "000" + std::to_string(i);
            SCOPED_TRACE(name);
            EXPECT_TRUE(HasString("Enum\\PCI\\" + name + "\\000800", "Driver", "DISPLAY\\000" + std::to_string(i)));
            EXPECT_TRUE(HasString("Enum\\PCI\\" + name + "\\000800", "DeviceDesc", row.name));
            EXPECT_TRUE(HasString(k, "InfSection", row.tag));
            EXPECT_TRUE(HasString(k, "MatchingDeviceId", std::string("PCI\\VEN_10DE&DEV_") + row.device));
            EXPECT_EQ(KeyExists(k + "\\MODES\\32\\2048,1536"), row.group2) << "mode group";
        }
    }
    EXPECT_FALSE(KeyExists(kDisplay + "0006"));
}

TEST_F(AdapterRegistrationTest, NoProfileOrNoNameWritesNothing) {
    const std::string other = "Enum\\PCI\\VEN_8086&DEV_7190&SUBSYS_00000000&REV_03";
    PutKey(other + "\\0000");
    dialog_.RegisterDisplayAdapter(0, BoardName(kQ2));
    dialog_.RegisterDisplayAdapter(7, BoardName(kQ2));
    dialog_.RegisterDisplayAdapter(1, "");
    EXPECT_TRUE(SameListing(RegistryListing({""}), {"Enum", "Enum\\PCI", other, other + "\\0000"}));
    EXPECT_FALSE(FileExists(windows_ / "system.ini"));
    EXPECT_TRUE(dialog_.systemSettingsPending);
}

TEST_F(AdapterRegistrationTest, BoardsOfTheTwoModeGroupsMatchTheirListings) {
    RegisterTwoBoards(dialog_);
    EXPECT_TRUE(SameListing(RegistryListing({kQ2, kDisplay + "0000"}), GoldenLines("model1_board.txt")));
    EXPECT_TRUE(SameListing(RegistryListing({kQ5, kDisplay + "0001"}), GoldenLines("model3_board.txt")));
    EXPECT_EQ(SubkeyNames(kDisplay), (std::vector<std::string>{"0000", "0001"}));
}

TEST_F(AdapterRegistrationTest, MachineWideEntriesComeWithTheFirstBoardOnly) {
    dialog_.RegisterDisplayAdapter(1, BoardName(kQ2));
    EXPECT_TRUE(HasString(keys::kUninstallEntryKey, "UninstallString", windows_ / "SYSTEM\\UnVarnel.exe"));
    EXPECT_TRUE(FileExists(windows_ / "system.ini"));
    PutValue(keys::kUninstallEntryKey, "UninstallString", SzValue("changed"));
    DeleteFileA((windows_ / "system.ini").c_str());

    dialog_.RegisterDisplayAdapter(3, BoardName(kQ5));
    EXPECT_TRUE(HasString(kQ5 + "\\000800", "Driver", "DISPLAY\\0001"));
    EXPECT_TRUE(HasString(keys::kUninstallEntryKey, "UninstallString", "changed"));
    EXPECT_FALSE(FileExists(windows_ / "system.ini"));
}

TEST_F(AdapterRegistrationTest, InstallingTwiceLeavesWhatOnceLeft) {
    RegisterTwoBoards(dialog_);
    const std::vector<std::string> once = RegistryListing({""});
    const std::string systemIni = ReadFileBytes(windows_ / "system.ini");

    RecordingInstallDialog secondRun(adapters_);
    RegisterTwoBoards(secondRun);
    EXPECT_TRUE(SameListing(RegistryListing({""}), once));
    EXPECT_EQ(ReadFileBytes(windows_ / "system.ini"), systemIni);
}

}  // namespace

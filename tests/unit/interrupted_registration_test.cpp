// A board's registration cut short where its display-class key has been
// created but not yet tagged with "InfSection", then the install run again:
// it must end where an uninterrupted install ends, so that the removal,
// which deletes only the class key "Driver" names, leaves no class key.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "adapter_detection.h"
#include "recording_install_dialog.h"
#include "registry_listing.h"
#include "registry_sandbox.h"
#include "temp_folder.h"
#include "uninstall_dialog.h"

namespace {

const std::string kDisplay = "System\\CurrentControlSet\\Services\\Class\\Display\\";
const std::string kBoard = "VEN_10DE&DEV_0028&SUBSYS_00000000&REV_A1";
const std::string kFixedInstance = "Enum\\PCI\\" + kBoard + "\\000800";

// Another driver's key takes number 0000, so the board's is 0001.
void PlantMachine() {
    PutValue(kDisplay + "0000", "InfSection", SzValue("VGA"));
    PutValue(kDisplay + "0000\\DEFAULT", "drv", SzValue("vga.drv"));
    PutValue("Enum\\PCI\\" + kBoard + "\\0000", "HardwareID", SzValue("PCI\\" + kBoard));
}

void Install(const std::string& windowsFolder) {
    AdapterTable adapters{};
    RecordingInstallDialog dialog(adapters);
    std::strcpy(dialog.windowsDirectory, windowsFolder.c_str());
    DetectAdapters(adapters);
    for (int k = 0; k < adapters.count; ++k) dialog.RegisterDisplayAdapter(ClassifyAdapter(adapters.slots[k]), adapters.slots[k]);
}

void Uninstall(const std::string& windowsFolder) {
    AdapterTable adapters{};
    UninstallDialog dialog(adapters);
    std::strcpy(dialog.windowsDirectory, windowsFolder.c_str());
    DetectAdapters(adapters);
    dialog.DeleteRegistryEntries();
}

// What the class key held when the install stopped: nothing (stopped between
// creating it and setting its first value), or its first value.
struct CutShort {
    const char* name;
    bool driverDesc;
};

class InterruptedRegistrationTest : public ::testing::TestWithParam<CutShort> {
protected:
    TempFolder windows_;
};

TEST_P(InterruptedRegistrationTest, RunAgainItEndsAsAnUninterruptedInstallAndTheRemovalLeavesNoClassKey) {
    std::vector<std::string> uninterrupted;
    {
        RegistryOverride registry;
        PlantMachine();
        Install(windows_.path());
        uninterrupted = RegistryListing({""});
    }
    RegistryOverride registry;
    PlantMachine();
    // The fixed instance is written before the class key is created.
    PutValue(kFixedInstance, "Driver", SzValue("DISPLAY\\0001"));
    PutKey(kDisplay + "0001");
    if (GetParam().driverDesc) PutValue(kDisplay + "0001", "DriverDesc", SzValue("ORVA Varnel Q2"));

    Install(windows_.path());
    EXPECT_TRUE(SameListing(RegistryListing({""}), uninterrupted));
    Uninstall(windows_.path());
    EXPECT_EQ(SubkeyNames(kDisplay), std::vector<std::string>{"0000"});
}

INSTANTIATE_TEST_SUITE_P(ClassKey, InterruptedRegistrationTest,
                         ::testing::Values(CutShort{"Empty", false}, CutShort{"WithDriverDesc", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A key the board's instance names but that holds more than an unfinished
// install leaves (another board's name, a subkey, a tag of its own) is
// another driver's: the board gets a key of its own and that one is left as
// it was.
TEST(InterruptedRegistrationGuardTest, AnotherDriversKeyNamedByTheInstanceIsNotTaken) {
    struct Planted {
        bool boardsName;  // the key also holds the board's own "DriverDesc"
        const char* subkey;
        const char* name;
        const char* text;
    };
    const Planted others[] = {
        {false, "",          "DriverDesc", "Standard Display Adapter"},
        {true,  "\\DEFAULT", "DriverDesc", "ORVA Varnel Q2"},
        {true,  "",          "InfSection", "VGA"},
        {false, "",          "InfSection", "VGA"},
    };
    TempFolder windows;
    for (const Planted& other : others) {
        RegistryOverride registry;
        PlantMachine();
        PutValue(kFixedInstance, "Driver", SzValue("DISPLAY\\0001"));
        if (other.boardsName) PutValue(kDisplay + "0001", "DriverDesc", SzValue("ORVA Varnel Q2"));
        const std::string key = kDisplay + "0001" + other.subkey;
        PutValue(key, other.name, SzValue(other.text));
        const std::vector<std::string> planted = RegistryListing({kDisplay + "0001"});
        Install(windows.path());
        EXPECT_TRUE(HasString(kFixedInstance, "Driver", "DISPLAY\\0002")) << key << " " << other.name;
        EXPECT_TRUE(SameListing(RegistryListing({kDisplay + "0001"}), planted)) << key << " " << other.name;
    }
}

// Two boards of one model, the install cut short in the first one's class
// key; run again with the boards the other way round. They must end in one
// key, and the removal must leave no key with anything in it that no board
// names. An empty key is only ever taken by the board that names it (it
// could be anybody's), so that one stays, empty.
class InterruptedRegistrationOrderTest : public InterruptedRegistrationTest {};

TEST_P(InterruptedRegistrationOrderTest, TwoBoardsOfOneModelInTheOtherOrderShareOneKey) {
    const std::string second = "VEN_10DE&DEV_0028&SUBSYS_00010000&REV_A1";
    RegistryOverride registry;
    PlantMachine();
    PutValue("Enum\\PCI\\" + second + "\\0000", "HardwareID", SzValue("PCI\\" + second));
    PutValue(kFixedInstance, "Driver", SzValue("DISPLAY\\0001"));
    PutKey(kDisplay + "0001");
    if (GetParam().driverDesc) PutValue(kDisplay + "0001", "DriverDesc", SzValue("ORVA Varnel Q2"));

    AdapterTable adapters{};
    RecordingInstallDialog dialog(adapters);
    std::strcpy(dialog.windowsDirectory, windows_.path().c_str());
    for (const std::string& board : {second, kBoard}) dialog.RegisterDisplayAdapter(1, board.c_str());
    const auto driverOf = [](const std::string& board) { return GetValue("Enum\\PCI\\" + board + "\\000800", "Driver"); };
    EXPECT_TRUE(driverOf(kBoard) && driverOf(kBoard) == driverOf(second));
    Uninstall(windows_.path());
    for (const std::string& key : SubkeyNames(kDisplay)) {
        if (key == "0000") continue;
        EXPECT_TRUE(ValueNames(kDisplay + key).empty() && SubkeyNames(kDisplay + key).empty()) << key << " is left";
    }
}

INSTANTIATE_TEST_SUITE_P(ClassKey, InterruptedRegistrationOrderTest,
                         ::testing::Values(CutShort{"Empty", false}, CutShort{"WithDriverDesc", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

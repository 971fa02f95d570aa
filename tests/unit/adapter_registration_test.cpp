// Registration of one board: its display-class key number, its device
// instances, its class key and the values every board brings along.
#include "adapter_registration.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "recording_install_dialog.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace {

const std::string kDisplay = "System\\CurrentControlSet\\Services\\Class\\Display\\";
const std::string kQ2 = "Enum\\PCI\\VEN_10DE&DEV_0028&SUBSYS_00000000&REV_A1";

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

TEST_F(AdapterRegistrationTest, AllFiftyKeysTakenGives99AndTheBoardIsWrittenThere) {
    for (int i = 0; i < 50; ++i) PlantClassKey((i < 10 ? "000" : "00") + std::to_string(i), "Q5");
    PlantClassKey("0050", "Q2");  // beyond the searched range
    EXPECT_EQ(FindDisplayClassIndex("Q2"), 99);
    dialog_.RegisterDisplayAdapter(1, kQ2.c_str() + 9);
    EXPECT_TRUE(HasString(kDisplay + "0099", "InfSection", "Q2"));
    EXPECT_TRUE(HasString(kQ2 + "\\000800", "Driver", "DISPLAY\\0099"));
}

TEST_F(AdapterRegistrationTest, EveryInstanceAndTheFixedOneGetTheFiveValues) {
    PutValue(kQ2 + "\\0000", "Driver", SzValue("DISPLAY\\0007"));
    PutValue(kQ2 + "\\0001", "HardwareID", SzValue("kept"));
    PlantClassKey("0000", "Q5");
    dialog_.RegisterDisplayAdapter(1, kQ2.c_str() + 9);
    for (const char* instance : {"0000", "0001", "000800"}) {
        const std::string key = kQ2 + "\\" + instance;
        EXPECT_TRUE(HasString(key, "Class", "DISPLAY"));
        EXPECT_TRUE(HasString(key, "DeviceDesc", "ORVA Varnel Q2"));
        EXPECT_TRUE(HasString(key, "Driver", "DISPLAY\\0001"));
        EXPECT_TRUE(HasString(key, "Mfg", "ORVA"));
        EXPECT_TRUE(HasValue(key, "ConfigFlags", BinaryValue(std::string(4, '\0'))));
    }
    EXPECT_TRUE(HasString(kQ2 + "\\0001", "HardwareID", "kept"));
    EXPECT_FALSE(dialog_.systemSettingsPending) << "the machine-wide entries come last";
}

TEST_F(AdapterRegistrationTest, ABoardWithoutInstancesStillGetsTheFixedOne) {
    dialog_.RegisterDisplayAdapter(3, "VEN_10DE&DEV_0100&SUBSYS_00000000&REV_A1");
    EXPECT_TRUE(HasString("Enum\\PCI\\VEN_10DE&DEV_0100&SUBSYS_00000000&REV_A1\\000800", "Driver",
                          "DISPLAY\\0000"));
}

TEST_F(AdapterRegistrationTest, ClassKeyAndCompanionValues) {
    PutValue(kDisplay + "0000\\NVIDIA\\DirectDraw", "OverlayMode", SzValue("0"));
    PutValue(kDisplay + "0000", "Extra", SzValue("kept"));
    PlantClassKey("0000", "Q2");
    dialog_.RegisterDisplayAdapter(1, kQ2.c_str() + 9);
    const std::string k = kDisplay + "0000";
    EXPECT_TRUE(HasString(k, "DriverDesc", "ORVA Varnel Q2"));
    EXPECT_TRUE(HasString(k, "MatchingDeviceId", "PCI\\VEN_10DE&DEV_0028"));
    EXPECT_TRUE(HasString(k, "DevLoader", "*vdd"));
    EXPECT_TRUE(HasString(k, "InfPath", "VARNEL.INF"));
    EXPECT_TRUE(HasString(k, "ProviderName", "ORVA"));
    EXPECT_TRUE(HasString(k, "Ver", "4.0"));
    EXPECT_TRUE(HasString(k, "Extra", "kept"));
    EXPECT_TRUE(HasValue(k + "\\NVIDIA\\DirectDraw", "OverlayMode", DwordValue(1)));
    EXPECT_TRUE(HasValue(k + "\\NVIDIA\\DirectDraw", "OverlayColorControlEnable", DwordValue(1)));
    EXPECT_TRUE(HasValue(k + "\\DEFAULT", "CHIPID", BinaryValue(std::string("\x00\x40\x11\x20\x00\x00", 6))));
    const char* defaults[][2] = {{"DDC", "1"},          {"drv", "nvdisp.drv"},        {"drv2", "nvdisp.drv"},
                                 {"minivdd", "nvmini.vxd"}, {"minivdd2", "nvmini2.vxd"}, {"Mode", "16,640,480"},
                                 {"RefreshRate", "-1"},  {"vdd", "*vdd"}};
    for (const auto& value : defaults) EXPECT_TRUE(HasString(k + "\\DEFAULT", value[0], value[1]));
    EXPECT_TRUE(HasString(k + "\\shellex\\PropertySheetHandlers\\ORVA Varnel CPL Extension", "",
                          "{67E0E3C0-3068-11D3-8BD1-00104B6F7516}"));
    EXPECT_TRUE(HasString("Software\\Microsoft\\Windows\\CurrentVersion\\OpenGLdrivers", "RIVATNT", "nvopengl.dll"));
    // Keys keep the letter case they are created with; Windows and the driver look them up so.
    const std::vector<std::string> subkeys = SubkeyNames(k);
    for (const char* name : {"NVIDIA", "DEFAULT", "shellex"})
        EXPECT_EQ(std::count(subkeys.begin(), subkeys.end(), name), 1) << name;
    EXPECT_EQ(SubkeyNames("Control Panel"), std::vector<std::string>{"Keyboard"});
    EXPECT_TRUE(HasString("Control Panel\\Keyboard", "KeyBoardSpeed", "31"));
    EXPECT_TRUE(HasString("Control Panel\\Keyboard", "KeyBoardDelay", "0"));
    EXPECT_TRUE(HasString("System\\CurrentControlSet\\Services\\VxD\\VGARTD", "StaticVxD", "vgartd.vxd"));
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
    dialog_.RegisterDisplayAdapter(0, kQ2.c_str() + 9);
    dialog_.RegisterDisplayAdapter(7, kQ2.c_str() + 9);
    dialog_.RegisterDisplayAdapter(1, "");
    EXPECT_TRUE(ValueNames(other + "\\0000").empty());
    EXPECT_TRUE(ValueNames(other).empty());
    EXPECT_FALSE(KeyExists(kQ2));
    EXPECT_FALSE(KeyExists(kDisplay + "0000"));
    EXPECT_TRUE(dialog_.systemSettingsPending);
}

}  // namespace

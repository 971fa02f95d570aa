// Install then uninstall, on hundreds of random machines: random PCI boards
// (supported or not, more than the installer handles), random display-class
// keys of other drivers, random "Driver" values and unrelated entries beside
// the product's. Whatever the machine, the pair may change only what the
// product owns, and must leave exactly the documented leftovers.
#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "adapter_detection.h"
#include "golden.h"
#include "install_dialog.h"
#include "machine_state.h"
#include "key_paths.h"
#include "registry_listing.h"
#include "registry_sandbox.h"
#include "temp_folder.h"
#include "uninstall_dialog.h"

namespace {

constexpr unsigned kSeed = 19990401;
constexpr int kMachines = 500;
constexpr char kDisplayClass[] = "System\\CurrentControlSet\\Services\\Class\\Display\\";

const char* const kProductTags[] = {"Q2", "Q2PLUS", "Q5", "Q5D", "Q6PRO", "Q6LITE"};

// A Windows directory of the test's own: the install writes its system.ini.
std::string WindowsFolder() {
    static TempFolder folder;
    return folder.path();
}

bool IsUnder(const std::string& key, const std::string& top) {
    const std::string k = UpperCase(key), t = UpperCase(top);
    return k == t || k.rfind(t + "\\", 0) == 0;
}

struct Machine {
    std::vector<std::string> supportedBoards;      // in the registry's enumeration order
    std::set<std::string> adoptableClassKeys;      // other keys carrying a product tag
    int boards = 0;
};

class RandomMachine {
public:
    explicit RandomMachine(unsigned seed) : random_(seed) {}

    Machine Plant() {
        Machine machine;
        // Now and then more supported boards than the installer has room for.
        const bool crowded = Pick(0, 9) == 0;
        const int names = crowded ? Pick(17, 20) : Pick(0, 20);
        for (int i = 0; i < names; ++i) PlantPciName(crowded);
        // Other drivers' display-class keys; now and then every number taken.
        const bool full = Pick(0, 20) == 0;
        for (int index = 0; index < 50; ++index) {
            if (!full && Pick(0, 9) != 0) continue;
            char key[96];
            std::snprintf(key, sizeof key, "%s%04d", kDisplayClass, index);
            static const char* const kTags[] = {"VGA", "S3", "Q2", "q2", "Q2PLUS", "Q5", "Q6", "", nullptr};
            const char* tag = kTags[Pick(0, 8)];
            if (tag != nullptr) PutValue(key, "InfSection", SzValue(tag));
            PutValue(std::string(key) + "\\DEFAULT", "drv", SzValue("other.drv"));
            PutValue(std::string(key) + "\\MODES\\8\\320,200", "", SzValue("70"));
        }
        // Neighbours of the product's entries, which must stay.
        PutValue(keys::kRunKey, "SystemTray", SzValue("SysTray.Exe"));
        PutValue("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other Product", "DisplayName", SzValue("x"));
        PutValue("Software\\ORVA\\Other", "Kept", SzValue("yes"));
        PutValue("Software\\CLASSES\\CLSID\\{00000000-0000-0000-C000-000000000046}", "", SzValue("other"));
        PutValue("System\\CurrentControlSet\\Services\\Class\\MEDIA\\0000", "Driver", SzValue("media.drv"));
        PutValue(keys::kDisplaySettingsKey, "DPILogicalX", SzValue("96"));
        PutValue("Control Panel\\Keyboard", "Other", SzValue("kept"));
        if (Pick(0, 1)) PutValue(keys::kRunKey, "NvColorInit", SzValue("nv.exe"));
        if (Pick(0, 1)) PutValue(keys::kNvidiaKey, "Other", DwordValue(7));

        for (const auto& name : SubkeyNames("Enum\\PCI"))
            if (ClassifyAdapter(name.c_str()) != 0) machine.supportedBoards.push_back(name);
        for (const auto& index : SubkeyNames("System\\CurrentControlSet\\Services\\Class\\Display")) {
            const auto tag = GetValue(kDisplayClass + index, "InfSection");
            for (const char* productTag : kProductTags)
                if (tag && *tag == SzValue(productTag)) machine.adoptableClassKeys.insert(kDisplayClass + index);
        }
        return machine;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    void PlantPciName(bool supportedOnly) {
        static const char* const kDevices[] = {"DEV_0028", "DEV_0029", "DEV_0100", "DEV_0101",
                                               "DEV_0150", "DEV_0110", "DEV_0020", "dev_0028"};
        static const char* const kVendors[] = {"VEN_10DE", "VEN_10DE", "VEN_10DE", "VEN_1002", "ven_10de"};
        char name[96];
        std::snprintf(name, sizeof name, "%s&%s&SUBSYS_%08X&REV_%02X", kVendors[supportedOnly ? 0 : Pick(0, 4)],
                      kDevices[supportedOnly ? Pick(0, 5) : Pick(0, 7)],
                      static_cast<unsigned>(Pick(0, 0x7FFFFFFF)), static_cast<unsigned>(Pick(0, 255)));
        const std::string key = std::string("Enum\\PCI\\") + name;
        PutKey(key);
        static const char* const kInstances[] = {"0000", "0001", "0002", "000800", "000008"};
        static const char* const kDrivers[] = {"DISPLAY\\0003", "DISPLAY", "MEDIA\\0000", "",
                                               "DISPLAY\\0001\\MODES", "display\\0002", "DISPLAY\\0049"};
        const int instances = Pick(0, 3);
        for (int i = 0; i < instances; ++i) {
            const std::string instance = key + "\\" + kInstances[Pick(0, 4)];
            PutValue(instance, "HardwareID", SzValue(std::string("PCI\\") + name));
            if (Pick(0, 1)) PutValue(instance, "Driver", SzValue(kDrivers[Pick(0, 6)]));
        }
    }

    std::mt19937 random_;
};

// What the install sequence does with the registry, then the uninstaller's
// removal, each program with its own detection as when they run.
void InstallThenUninstall() {
    AdapterTable installerTable{};
    InstallDialog installer(installerTable);
    DetectAdapters(installerTable);
    std::strcpy(installer.windowsDirectory, WindowsFolder().c_str());
    for (int k = 0; k < installerTable.count; ++k)
        installer.RegisterDisplayAdapter(ClassifyAdapter(installerTable.slots[k]), installerTable.slots[k]);

    AdapterTable uninstallerTable{};
    UninstallDialog uninstaller(uninstallerTable);
    DetectAdapters(uninstallerTable);
    std::strcpy(uninstaller.windowsDirectory, WindowsFolder().c_str());
    uninstaller.DeleteRegistryEntries();
}

void CheckMachine(const Machine& machine, const MachineChanges& changes) {
    const size_t handledCount = std::min<size_t>(machine.supportedBoards.size(), kAdapterTableSlots);
    const std::vector<std::string> handled(machine.supportedBoards.begin(),
                                           machine.supportedBoards.begin() + static_cast<long>(handledCount));
    auto handledInstance = [&](const std::string& key, bool fixedInstance) {
        for (const auto& board : handled) {
            const std::string boardKey = "Enum\\PCI\\" + board;
            if (UpperCase(key).rfind(UpperCase(boardKey) + "\\", 0) != 0) continue;
            const bool isFixed = UpperCase(key) == UpperCase(boardKey + "\\000800");
            if (fixedInstance ? IsUnder(key, boardKey + "\\000800") : !isFixed && key.find('\\', boardKey.size() + 1) == std::string::npos)
                return true;
        }
        return false;
    };

    // Removed: only the product's own keys, adopted class keys, and entries named for removal.
    static const std::vector<std::string> namedKeys = GoldenLeftoverKeys("gone", {});
    static const std::set<ValueRef> namedValues = GoldenRemovedValues(WindowsFolder());
    for (const auto& key : changes.removedKeys) {
        bool allowed = handledInstance(key, true);
        for (const auto& classKey : machine.adoptableClassKeys) allowed = allowed || IsUnder(key, classKey);
        for (const auto& named : namedKeys) allowed = allowed || IsUnder(key, named);
        EXPECT_TRUE(allowed) << "deleted " << key;
    }
    for (const auto& ref : changes.removedValues) {
        bool allowed = namedValues.count(ref) > 0;
        for (const auto& key : changes.removedKeys) allowed = allowed || IsUnder(ref.first, key);
        EXPECT_TRUE(allowed) << "deleted " << ref.first << " [" << ref.second << "]";
    }

    // Set: only the documented leftovers, all of them.
    std::set<std::string> instanceKeys;
    for (const auto& board : handled)
        for (const auto& instance : SubkeyNames("Enum\\PCI\\" + board))
            if (handledInstance("Enum\\PCI\\" + board + "\\" + instance, false))
                instanceKeys.insert("Enum\\PCI\\" + board + "\\" + instance);
    const std::set<ValueRef> leftovers = GoldenLeftoverValues(instanceKeys, handledCount > 0);
    for (const auto& [ref, value] : changes.setValues)
        EXPECT_TRUE(leftovers.count(ref)) << "left " << ref.first << " [" << ref.second << "] = " << Describe(value);
    for (const auto& [key, name] : leftovers) EXPECT_TRUE(GetValue(key, name)) << "lost " << key << " [" << name << "]";
    for (const std::string& line : GoldenLeftoverLines(handledCount > 0, WindowsFolder()))
        EXPECT_EQ(ValueLineNow(line), line);
    EXPECT_TRUE(HasString(keys::kDisplaySettingsKey, "DPILogicalX", "96"));
    for (const auto& board : handled) EXPECT_FALSE(KeyExists("Enum\\PCI\\" + board + "\\000800")) << board;
    for (const auto& gone : GoldenLeftoverKeys("gone", changes.addedKeys)) EXPECT_FALSE(KeyExists(gone)) << gone;
    if (handledCount > 0) {
        for (const auto& key : GoldenLeftoverKeys("kept", changes.addedKeys)) EXPECT_TRUE(KeyExists(key)) << key;
    }
    // Boards past the sixteenth are not touched at all.
    for (size_t i = handledCount; i < machine.supportedBoards.size(); ++i) {
        const std::string boardKey = "Enum\\PCI\\" + machine.supportedBoards[i];
        for (const auto& [ref, value] : changes.setValues) EXPECT_FALSE(IsUnder(ref.first, boardKey)) << ref.first;
        for (const auto& key : changes.removedKeys) EXPECT_FALSE(IsUnder(key, boardKey)) << key;
    }
}

void TryRandomMachines(int first, int end) {
    int tried = 0, withBoards = 0, overSixteen = 0, allClassKeysTaken = 0;
    for (int m = first; m < end; ++m) {
        SCOPED_TRACE("machine " + std::to_string(m) + " of seed " + std::to_string(kSeed));
        RegistryOverride registry;
        RandomMachine random(kSeed + static_cast<unsigned>(m));
        const Machine machine = random.Plant();
        const MachineState before = CaptureRegistry();
        InstallThenUninstall();
        const MachineChanges changes = CompareMachines(before, CaptureRegistry());
        CheckMachine(machine, changes);
        ++tried;
        withBoards += machine.supportedBoards.empty() ? 0 : 1;
        overSixteen += machine.supportedBoards.size() > kAdapterTableSlots ? 1 : 0;
        allClassKeysTaken += SubkeyNames("System\\CurrentControlSet\\Services\\Class\\Display").size() >= 50 ? 1 : 0;
        if (::testing::Test::HasFailure()) break;
    }
    std::printf("%d random machines tried (seeds %u to %u): %d with supported boards, %d with more than 16, "
                "%d with every class number taken\n",
                tried, kSeed + first, kSeed + end - 1, withBoards, overSixteen, allClassKeysTaken);
    EXPECT_EQ(tried, end - first);
}

// In two halves, which run side by side.
TEST(RoundTripPropertyTest, RandomMachinesKeepAllButTheProductsOwnEntriesFirstHalf) {
    TryRandomMachines(0, kMachines / 2);
}

TEST(RoundTripPropertyTest, RandomMachinesKeepAllButTheProductsOwnEntriesSecondHalf) {
    TryRandomMachines(kMachines / 2, kMachines);
}

}  // namespace

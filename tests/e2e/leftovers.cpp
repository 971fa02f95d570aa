#include "leftovers.h"

#include "golden.h"
#include "key_paths.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace {

// The documented leftovers: the files of uninstall_leftovers.txt; the
// uninstaller's own running copy, which Windows will not delete while it
// runs; the other instance keys; OtherDevicePath; the keyboard values; the
// display settings reset to 4 bits at 640,480; the NVIDIA key without its
// value; system.ini's EMMExclude line.
std::set<std::string> LeftoverFiles() {
    std::set<std::string> files = {"SYSTEM\\UNVARNEL.EXE"};
    for (const std::string& file : GoldenLeftoverFiles()) files.insert(UpperCase(file));
    return files;
}

std::set<ValueRef> LeftoverValues(const std::set<std::string>& instanceKeys, bool boards) {
    std::set<ValueRef> values = {{kDisplaySettingsKey, "BitsPerPixel"},
                                 {kDisplaySettingsKey, "Resolution"}};
    if (boards) {
        values.insert({"Software\\Microsoft\\Windows\\CurrentVersion", "OtherDevicePath"});
        values.insert({"Control Panel\\Keyboard", "KeyBoardSpeed"});
        values.insert({"Control Panel\\Keyboard", "KeyBoardDelay"});
        for (const auto& key : instanceKeys)
            for (const char* name : {"Class", "DeviceDesc", "Driver", "Mfg", "ConfigFlags"}) values.insert({key, name});
    }
    return values;
}

// The product's keys, which the uninstall removes whole; with the display
// class keys below System\CurrentControlSet\Services\Class\Display.
const char* const kRemovedKeys[] = {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORVA Varnel",
                                    "Software\\CLASSES\\CLSID\\{67E0E3C0-3068-11D3-8BD1-00104B6F7516}",
                                    "System\\CurrentControlSet\\Services\\VxD\\VGARTD"};
const std::string kDisplayClass = UpperCase("System\\CurrentControlSet\\Services\\Class\\Display\\");

::testing::AssertionResult RemovedAsTheyMustBe(const MachineChanges& changes, const std::set<ValueRef>& values) {
    if (!changes.removedKeys.empty() || !changes.removedValues.empty() || !changes.removedFiles.empty())
        return ::testing::AssertionFailure() << "removed what was there before: " << ::testing::PrintToString(changes.Describe());
    // Keys that stay behind hold no values but the leftovers' (levels
    // above the removed keys, and the leftovers' own keys).
    for (const auto& key : changes.addedKeys) {
        for (const auto& name : ValueNames(key))
            if (!values.count({key, name})) return ::testing::AssertionFailure() << key << " [" << name << "] was left behind";
        if (UpperCase(key).rfind(kDisplayClass, 0) == 0) return ::testing::AssertionFailure() << key << " was left behind";
    }
    for (const char* gone : kRemovedKeys)
        if (KeyExists(gone)) return ::testing::AssertionFailure() << gone << " was left behind";
    if (!HasString(kDisplaySettingsKey, "BitsPerPixel", "4") ||
        !HasString(kDisplaySettingsKey, "Resolution", "640,480"))
        return ::testing::AssertionFailure() << "the display settings were not reset";
    return ::testing::AssertionSuccess();
}

}  // namespace

void ExpectOnlyTheLeftovers(const MachineChanges& changes, const std::set<std::string>& instanceKeys, bool boards) {
    EXPECT_EQ(changes.addedFiles, LeftoverFiles());
    EXPECT_EQ(changes.changedFiles, boards ? std::set<std::string>{"SYSTEM.INI"} : std::set<std::string>{});
    const std::set<ValueRef> expected = LeftoverValues(instanceKeys, boards);
    std::set<ValueRef> actual;
    for (const auto& [ref, value] : changes.setValues) actual.insert({ref.first, ref.second});
    EXPECT_EQ(actual, expected) << ::testing::PrintToString(changes.Describe());
    EXPECT_TRUE(RemovedAsTheyMustBe(changes, expected));
    if (boards) {
        EXPECT_TRUE(KeyExists(kNvidiaKey));
        EXPECT_FALSE(GetValue(kNvidiaKey, "EnableVia4X"));
        const std::string ini = ReadFileBytes(MachineWindowsDirectory() + "system.ini");
        EXPECT_NE(ini.find("EMMExclude=C000-CFFF,C000-CFFF"), std::string::npos);
    }
}

::testing::AssertionResult NothingBeyondTheLeftovers(const MachineChanges& changes,
                                                     const std::set<std::string>& instanceKeys) {
    const std::set<std::string> leftoverFiles = LeftoverFiles();
    for (const auto& file : changes.addedFiles)
        if (!leftoverFiles.count(file)) return ::testing::AssertionFailure() << file << " was left behind";
    for (const auto& file : changes.changedFiles)
        if (file != "SYSTEM.INI") return ::testing::AssertionFailure() << file << " was changed";
    const std::set<ValueRef> allowed = LeftoverValues(instanceKeys, true);
    for (const auto& [ref, value] : changes.setValues)
        if (!allowed.count(ref))
            return ::testing::AssertionFailure() << ref.first << " [" << ref.second << "] = " << Describe(value) << " was left behind";
    return RemovedAsTheyMustBe(changes, allowed);
}

#include "leftovers.h"

#include "golden.h"
#include "registry_listing.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace {

// The files of uninstall_leftovers.txt, and Windows' record of the restart
// that removed the uninstaller's own running copy.
std::set<std::string> LeftoverFiles() {
    std::set<std::string> files = {"WININIT.BAK"};
    for (const std::string& file : GoldenLeftoverFiles()) files.insert(UpperCase(file));
    return files;
}

std::set<std::string> ChangedFiles() {
    std::set<std::string> files;
    for (const GoldenIniEntry& entry : GoldenLeftoverIniEntries()) files.insert(UpperCase(entry.file));
    return files;
}

// Nothing that was there before is gone, the install's keys are, and the
// leftovers hold their data: the uninstall's writes, with `boards` the
// install's values it keeps.
::testing::AssertionResult RemovedAsTheyMustBe(const MachineChanges& changes, bool boards) {
    if (!changes.removedKeys.empty() || !changes.removedValues.empty() || !changes.removedFiles.empty())
        return ::testing::AssertionFailure() << "removed what was there before: " << ::testing::PrintToString(changes.Describe());
    for (const std::string& gone : GoldenLeftoverKeys("gone", changes.addedKeys))
        if (KeyExists(gone)) return ::testing::AssertionFailure() << gone << " was left behind";
    for (const std::string& line : GoldenLeftoverLines(boards, MachineWindowsDirectory()))
        if (ValueLineNow(line) != line)
            return ::testing::AssertionFailure() << "expected " << line << ", found \"" << ValueLineNow(line) << "\"";
    return ::testing::AssertionSuccess();
}

}  // namespace

void ExpectOnlyTheLeftovers(const MachineChanges& changes, const std::set<std::string>& instanceKeys, bool boards) {
    EXPECT_EQ(changes.addedFiles, LeftoverFiles());
    EXPECT_EQ(changes.changedFiles, boards ? ChangedFiles() : std::set<std::string>{});
    const std::set<ValueRef> expected = GoldenLeftoverValues(instanceKeys, boards);
    std::set<ValueRef> actual;
    for (const auto& [ref, value] : changes.setValues) actual.insert({ref.first, ref.second});
    EXPECT_EQ(actual, expected) << ::testing::PrintToString(changes.Describe());
    EXPECT_TRUE(RemovedAsTheyMustBe(changes, boards));
    if (!boards) return;
    for (const std::string& key : GoldenLeftoverKeys("kept", changes.addedKeys)) EXPECT_TRUE(KeyExists(key)) << key;
    for (const GoldenIniEntry& entry : GoldenLeftoverIniEntries()) {
        const std::string ini = ReadFileBytes(MachineWindowsDirectory() + entry.file);
        EXPECT_NE(ini.find("\n" + entry.entry + "\r\n", ini.find(entry.section)), std::string::npos) << entry.entry;
    }
}

::testing::AssertionResult NothingBeyondTheLeftovers(const MachineChanges& changes,
                                                     const std::set<std::string>& instanceKeys) {
    const std::set<std::string> leftoverFiles = LeftoverFiles(), changedFiles = ChangedFiles();
    for (const auto& file : changes.addedFiles)
        if (!leftoverFiles.count(file)) return ::testing::AssertionFailure() << file << " was left behind";
    for (const auto& file : changes.changedFiles)
        if (!changedFiles.count(file)) return ::testing::AssertionFailure() << file << " was changed";
    const std::set<ValueRef> allowed = GoldenLeftoverValues(instanceKeys, true);
    for (const auto& [ref, value] : changes.setValues)
        if (!allowed.count(ref))
            return ::testing::AssertionFailure() << ref.first << " [" << ref.second << "] = " << Describe(value) << " was left behind";
    // Cut short, the install may not have written the values the uninstall
    // keeps: only the uninstall's own writes are sure to hold their data.
    return RemovedAsTheyMustBe(changes, false);
}

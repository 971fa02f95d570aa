#include "e2e_fixture.h"

#include <windows.h>

#include <map>

std::string StandInContent(const std::string& sourceName) {
    return "Stand-in for the driver file " + sourceName + " of the demo medium.\r\n";
}

void MakeMedium(const std::string& folder) {
    for (const std::string& name : GoldenMediumNames()) {
        if (name == "UnVarnel.exe") {
            const std::string uninstaller = ReadFileBytes(UninstallerPath());
            WriteFileBytes(folder + name, uninstaller.empty() ? StandInContent(name) : uninstaller);
        } else {
            WriteFileBytes(folder + name, StandInContent(name));
        }
    }
}

void EndToEndTest::SetUp() {
    // A test killed before its TearDown (CTest's timeout) leaves the mark and
    // its changes behind; the Wine runner restores the prefix when it finds it.
    ASSERT_FALSE(FileExists(VARNEL_UNFINISHED_MARK))
        << "an end-to-end test before this one was killed or could not undo its changes, which may still be "
           "on this machine";
    // The machine is the one the run asks for: Windows 98 (4.10), XP (5.1),
    // or XP x64 (5.2) for an x86-64 build.
    char version[16] = {};
    GetEnvironmentVariableA("VARNEL_WINDOWS_VERSION", version, sizeof version);
    const std::map<std::string, DWORD> kReported = {{"win98", 0x0A04}, {"winxp", 0x0105}, {"winxp64", 0x0205}};
    ASSERT_EQ(kReported.count(version), 1u) << "no machine named " << version;
    ASSERT_EQ(GetVersion() & 0xFFFF, kReported.at(version)) << "not a " << version << " prefix";
    WriteFileBytes(VARNEL_UNFINISHED_MARK, "");
    original = CaptureMachine();
    captured_ = true;
    MakeMedium(medium.path());
}

void EndToEndTest::TearDown() {
    // Without a capture there is nothing to restore to, nor anything changed.
    if (!captured_) return;
    RestoreMachine(original);
    const MachineChanges left = CompareMachines(original, CaptureMachine());
    EXPECT_TRUE(left.empty()) << "not undone: " << ::testing::PrintToString(left.Describe());
    // What could not be undone stays marked, for the runner to restore.
    if (left.empty()) DeleteFileA(VARNEL_UNFINISHED_MARK);
}

void EndToEndTest::PlantBoard(const std::string& hardwareId, std::initializer_list<const char*> instances) {
    const std::string key = "Enum\\PCI\\" + hardwareId;
    PutKey(key);
    for (const char* instance : instances) {
        PutValue(key + "\\" + instance, "HardwareID", SzValue("PCI\\" + hardwareId));
        PutValue(key + "\\" + instance, "DeviceDesc", SzValue("Standard PCI Graphics Adapter (VGA)"));
    }
}

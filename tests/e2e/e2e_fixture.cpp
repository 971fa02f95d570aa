#include "e2e_fixture.h"

#include <windows.h>

#include <map>

#include "driver_files.h"

const char* const kMediumFiles[20] = {
    "Varnel.inf",   "nvarch16.dll", "nvarch32.dll", "nvcore.vxd",   "nvcpl.dll",
    "nvcpl.hlp",    "nvdd32.dll",   "nvdisp.drv",   "nvmini.vxd",   "nvmini2.vxd",
    "nvopengl.dll", "nvqtwk.dll",   "nvmode.dll",   "UnVarnel.exe", "TrayIcon.exe",
    "vgartd.vxd",   "nvdesk32.dll", "nvdmcpl.dll",  "nvfsvm.exe",   "Varnel.inf",
};

const char* const kDeployedFiles[20] = {
    "INF\\OTHER\\ORVAVARNEL.INF", "INF\\VARNEL.INF",        "SYSTEM\\NVARCH16.DLL",   "SYSTEM\\NVARCH32.DLL",
    "SYSTEM\\NVCORE.VXD",         "SYSTEM\\NVCPL.DLL",      "HELP\\NVCPL.HLP",        "SYSTEM\\NVDD32.DLL",
    "SYSTEM\\NVDISP.DRV",         "SYSTEM\\NVMINI.VXD",     "SYSTEM\\NVMINI2.VXD",    "SYSTEM\\NVOPENGL.DLL",
    "SYSTEM\\NVQTWK.DLL",         "SYSTEM\\NVMODE.DLL",     "SYSTEM\\UNVARNEL.EXE",   "SYSTEM\\TRAYICON.EXE",
    "SYSTEM\\VGARTD.VXD",         "SYSTEM\\NVDESK32.DLL",   "SYSTEM\\NVDMCPL.DLL",    "SYSTEM\\NVFSVM.EXE",
};

std::string ShippedProgram(const char* name) {
    // The build hands over a Unix folder; Wine's Z: drive is the Unix root.
    std::string path = std::string("Z:") + VARNEL_PROGRAMS_DIR + "/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string StandInContent(const std::string& sourceName) {
    return "Stand-in for the driver file " + sourceName + " of the demo medium.\r\n";
}

void MakeMedium(const std::string& folder) {
    for (const char* name : kMediumFiles) {
        if (std::string(name) == "UnVarnel.exe") {
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

namespace {

// Whole seconds of a file's last-write time, as FindFirstFileA reports it.
ULONGLONG LastWriteSeconds(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    FindClose(search);
    return ((ULONGLONG)found.ftLastWriteTime.dwHighDateTime << 32 | found.ftLastWriteTime.dwLowDateTime) / 10000000;
}

}  // namespace

// Which source each target comes from is the installer's table; what a
// placed file must be like is the test's.
::testing::AssertionResult PlacedLikeTheirSources(const std::string& sourceFolder) {
    const std::string windows = MachineWindowsDirectory();
    for (const DriverFile& file : DriverFileTable) {
        const std::string source = sourceFolder + file.source, target = windows + file.target;
        const DWORD attributes = GetFileAttributesA(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return ::testing::AssertionFailure() << target << " is missing";
        if (attributes & FILE_ATTRIBUTE_READONLY) return ::testing::AssertionFailure() << target << " is read-only";
        if (ReadFileBytes(target) != ReadFileBytes(source))
            return ::testing::AssertionFailure() << target << " does not hold " << source;
        if (LastWriteSeconds(target) != LastWriteSeconds(source))
            return ::testing::AssertionFailure() << target << " was last written at " << LastWriteSeconds(target)
                                                 << " s, " << source << " at " << LastWriteSeconds(source) << " s";
    }
    return ::testing::AssertionSuccess();
}

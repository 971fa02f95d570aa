// Installs as users run them from a CD: the medium as it ships on a drive
// Windows sees as a CD-ROM drive, where every file is read-only; then an
// install over that install started from another working folder, and the
// uninstall.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cd_drive.h"
#include "e2e_fixture.h"
#include "install_run.h"
#include "leftovers.h"
#include "uninstall_run.h"

namespace {

constexpr char kBoard[] = "VEN_10DE&DEV_0028&SUBSYS_00000000&REV_A1";

// Every file of a folder tree, as paths below it.
std::vector<std::string> FilesBelow(const std::string& folder, const std::string& relative = "") {
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const auto& below : FilesBelow(folder, relative + name + "\\")) files.push_back(below);
        } else {
            files.push_back(relative + name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
}

// The medium as it ships: the installer at the root, the driver's files in
// Driver\Win9X, all with the time they were mastered and read-only, as a CD
// reports its files.
void MasterCd(const std::string& folder) {
    WriteFileBytes(folder + "InstVarnel.exe", ReadFileBytes(InstallerPath()));
    MakeFolder(folder + "Driver");
    MakeFolder(folder + "Driver\\Win9X");
    MakeMedium(folder + "Driver\\Win9X\\");
    SYSTEMTIME mastered = {1999, 10, 5, 1, 12, 0, 0, 0};  // far from the time of the test
    FILETIME time;
    SystemTimeToFileTime(&mastered, &time);
    for (const auto& file : FilesBelow(folder)) {
        const std::string path = folder + file;
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(handle, &time, &time, &time);
        CloseHandle(handle);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    }
}

class CdInstallTest : public EndToEndTest {};

TEST_F(CdInstallTest, FromACdDriveThenOverThatInstallThenRemoved) {
    const std::string windows = MachineWindowsDirectory();
    PlantBoard(kBoard, {"0000", "0001"});
    TempFolder master;
    MasterCd(master.path());
    CdDrive drive('r', master.path());
    ASSERT_TRUE(drive.defined());
    const std::string cd = drive.root();
    ASSERT_EQ(GetDriveTypeA(cd.c_str()), static_cast<UINT>(DRIVE_CDROM));
    const std::vector<std::string> files = FilesBelow(cd);
    ASSERT_EQ(files.size(), 20u) << "the installer and 19 driver files";
    for (const auto& file : files)
        EXPECT_TRUE(GetFileAttributesA((cd + file).c_str()) & FILE_ATTRIBUTE_READONLY) << file;
    const MachineState before = CaptureMachine();

    // Started from the CD's root, as Windows' AutoPlay or a double click does.
    const InstallRun first = RunInstaller(cd, DoneAnswer::kCancel, nullptr, cd + "InstVarnel.exe");
    ASSERT_TRUE(first.reachedDone && first.ended);
    EXPECT_TRUE(first.boxes.empty()) << first.boxes.front().caption << ": " << first.boxes.front().text;
    EXPECT_TRUE(PlacedLikeTheirSources(cd + "Driver\\Win9X\\"));

    // Installed files of an earlier version, so that a replaced one shows.
    // Started by Start, Run "R:\InstVarnel.exe": the working folder is elsewhere.
    for (const GoldenDriverFile& file : GoldenDriverFiles()) WriteFileBytes(windows + file.target, "an earlier version\r\n");
    const InstallRun second = RunInstaller(windows, DoneAnswer::kCancel, nullptr, cd + "InstVarnel.exe");
    ASSERT_TRUE(second.reachedDone && second.ended);
    EXPECT_TRUE(second.boxes.empty()) << second.boxes.front().caption << ": " << second.boxes.front().text;
    EXPECT_TRUE(PlacedLikeTheirSources(cd + "Driver\\Win9X\\"));

    const UninstallRun uninstall = RunUninstaller(windows + "System\\UnVarnel.exe");
    EXPECT_TRUE(uninstall.questionAsked && uninstall.ended);
    EXPECT_TRUE(RestartWindows());
    const std::string board = std::string("Enum\\PCI\\") + kBoard;
    ExpectOnlyTheLeftovers(CompareMachines(before, CaptureMachine()), {board + "\\0000", board + "\\0001"}, true);
}

}  // namespace

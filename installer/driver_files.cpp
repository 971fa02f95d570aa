#include "driver_files.h"

#include <commctrl.h>

#include <iterator>

#include "file_probe.h"
#include "install_dialog.h"
#include "install_resources.h"
#include "restart_renames.h"

namespace {

constexpr char kOemInfFolder[] = "INF\\OTHER";
static_assert(kWindowsDirectoryLength + TextLength(kOemInfFolder) <= DriverFilePath::kCapacity,
              "the OEM INF folder is a target's folder");
static_assert(TextLength(kMediumDriverFolder) <= MediumFolder::kCapacity, "the current folder's driver folder");

}  // namespace

MediumFolder FindMediumFolder(const char* programPath) {
    int folderLength = 0;
    for (int i = 0; programPath[i] != '\0'; ++i) {
        if (programPath[i] == '\\') folderLength = i + 1;
    }
    MediumFolder candidates[] = {MediumFolder(), MediumFolder(kMediumDriverFolder), MediumFolder(), MediumFolder()};
    const int places = folderLength > 0 && folderLength <= kProgramFolderLength ? 4 : 2;
    if (places == 4) {
        candidates[2].Append(programPath, folderLength);
        candidates[3].Append(programPath, folderLength).Append(kDriverFolder);
    }
    for (int i = 0; i < places; ++i) {
        if (FileOpensForReading(DriverFilePath(candidates[i], DriverFileTable[0].source))) return candidates[i];
    }
    return candidates[1];
}

void InstallDialog::DeployDriverFiles() {
    constexpr int kFileCount = static_cast<int>(std::size(DriverFileTable));
    HWND progress = Item(IDC_PROGRESS);
    SendMessageA(progress, PBM_SETRANGE, 0, MAKELPARAM(0, kFileCount));

    // Only this level: the Windows directory's INF folder is taken to exist.
    CreateDirectoryA(DriverFilePath(windowsDirectory, kOemInfFolder), nullptr);

    // What an install cut short left beside each file is settled first.
    SettleRestartRenames(windowsDirectory);
    for (const DriverFile& file : DriverFileTable) {
        const DriverFilePath target(windowsDirectory, file.target);
        SettleReplacement(Replacement(target));
    }

    // A folder and a name of as many characters, so that neither is cut.
    char programPath[kProgramFolderLength + MAX_PATH + 1];
    const DWORD programPathLength = GetModuleFileNameA(nullptr, programPath, sizeof programPath);
    // A name that fills the buffer may have been cut; no folder is better than a wrong one.
    if (programPathLength == 0 || programPathLength >= sizeof programPath - 1) programPath[0] = '\0';
    const MediumFolder sourceFolder = FindMediumFolder(programPath);
    int step = 0;
    for (const DriverFile& file : DriverFileTable) {
        // A failure has been reported by the copy; the next file is tried all the same.
        CopyDriverFile(DriverFilePath(sourceFolder, file.source), DriverFilePath(windowsDirectory, file.target),
                       kDriverFileCopyBufferSize);
        SendMessageA(progress, PBM_SETPOS, ++step, 0);
        // We do not return to the message loop until every file is done.
        UpdateWindow(progress);
    }
}

#include "driver_files.h"

#include <commctrl.h>

#include <iterator>

#include "file_probe.h"
#include "install_dialog.h"
#include "install_resources.h"

namespace {

constexpr char kOemInfFolder[] = "INF\\OTHER";
static_assert(kWindowsDirectoryLength + TextLength(kOemInfFolder) <= DriverFilePath::kCapacity,
              "the OEM INF folder is a target's folder");

}  // namespace

void InstallDialog::DeployDriverFiles() {
    constexpr int kFileCount = static_cast<int>(std::size(DriverFileTable));
    HWND progress = Item(IDC_PROGRESS);
    SendMessageA(progress, PBM_SETRANGE, 0, MAKELPARAM(0, kFileCount));

    // Only this level: the Windows directory's INF folder is taken to exist.
    CreateDirectoryA(DriverFilePath(windowsDirectory, kOemInfFolder), nullptr);

    // The medium has the files either beside the current directory's setup
    // information file or in its Driver\Win9X folder.
    const char* sourceFolder = FileOpensForReading(DriverFileTable[0].source) ? "" : kMediumDriverFolder;
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

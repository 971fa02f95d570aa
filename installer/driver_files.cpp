#include "driver_files.h"

#include <commctrl.h>

#include <iterator>

#include "file_probe.h"
#include "install_dialog.h"
#include "install_resources.h"
#include "replacement_file.h"

namespace {

constexpr char kOemInfFolder[] = "INF\\OTHER";
static_assert(kWindowsDirectoryLength + TextLength(kOemInfFolder) <= DriverFilePath::kCapacity,
              "the OEM INF folder is a target's folder");

bool Exists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// An install cut short between the two renames of a copy leaves the old
// file stepped aside, the new one whole beside it and the target missing.
// The old one goes back under the target's name; whose it was shows only
// when just one target of its folder is missing, and otherwise it goes.
void PutBackSteppedAsideFiles(const char* windowsDirectory) {
    for (const DriverFile& file : DriverFileTable) {
        const DriverFilePath target(windowsDirectory, file.target);
        const auto aside = InFolderOf(target, kSteppedAsideFileName);
        if (!Exists(aside)) continue;
        const auto folder = InFolderOf(target, "");
        const DriverFile* missing = nullptr;
        int missingCount = 0;
        for (const DriverFile& other : DriverFileTable) {
            const DriverFilePath otherTarget(windowsDirectory, other.target);
            if (TextsEqual(InFolderOf(otherTarget, ""), folder) && !Exists(otherTarget)) {
                missing = &other;
                ++missingCount;
            }
        }
        const bool newOneBeside = Exists(InFolderOf(target, kReplacementFileName));
        if (missingCount != 1 || !newOneBeside || !MoveFileA(aside, DriverFilePath(windowsDirectory, missing->target)))
            DeleteFileA(aside);
    }
}

}  // namespace

void InstallDialog::DeployDriverFiles() {
    constexpr int kFileCount = static_cast<int>(std::size(DriverFileTable));
    HWND progress = Item(IDC_PROGRESS);
    SendMessageA(progress, PBM_SETRANGE, 0, MAKELPARAM(0, kFileCount));

    // Only this level: the Windows directory's INF folder is taken to exist.
    CreateDirectoryA(DriverFilePath(windowsDirectory, kOemInfFolder), nullptr);

    PutBackSteppedAsideFiles(windowsDirectory);

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

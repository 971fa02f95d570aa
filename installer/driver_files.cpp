#include "driver_files.h"

#include <commctrl.h>

#include <cstdio>
#include <iterator>
#include <memory>
#include <string>

#include "install_dialog.h"
#include "install_resources.h"

namespace {

// The medium has the files either beside the current directory's setup
// information file or in its Driver\Win9X folder.
bool FilesLieInCurrentDirectory() {
    std::unique_ptr<FILE, int (*)(FILE*)> probe(std::fopen(DriverFileTable[0].source, "rb"), &std::fclose);
    return probe != nullptr;
}

}  // namespace

void InstallDialog::DeployDriverFiles() {
    constexpr int kFileCount = static_cast<int>(std::size(DriverFileTable));
    HWND progress = Item(IDC_PROGRESS);
    SendMessageA(progress, PBM_SETRANGE, 0, MAKELPARAM(0, kFileCount));

    // Only this level: the Windows directory's INF folder is taken to exist.
    CreateDirectoryA((std::string(windowsDirectory) + "INF\\OTHER").c_str(), nullptr);

    const std::string sourceFolder = FilesLieInCurrentDirectory() ? "" : ".\\Driver\\Win9X\\";
    int step = 0;
    for (const DriverFile& file : DriverFileTable) {
        const std::string target = std::string(windowsDirectory) + file.target;
        const std::string source = sourceFolder + file.source;
        // A failure has been reported by the copy; the next file is tried all the same.
        CopyDriverFile(source.c_str(), target.c_str(), kDriverFileCopyBufferSize);
        SendMessageA(progress, PBM_SETPOS, ++step, 0);
        // We do not return to the message loop until every file is done.
        UpdateWindow(progress);
    }
}

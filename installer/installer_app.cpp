// InstallerApp: InstVarnel.exe's start. The dialog is the whole program.
#include <windows.h>

#include "adapter_detection.h"
#include "install_dialog.h"

namespace {
AdapterTable adapterTable;  // zero-filled at start, filled once when the dialog opens
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InstallDialog dialog(adapterTable);
    return RunSetupProgram(dialog);
}

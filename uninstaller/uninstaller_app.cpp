// UninstallerApp: UnVarnel.exe's start. The dialog is the whole program.
#include <windows.h>

#include "adapter_detection.h"
#include "uninstall_dialog.h"

namespace {
AdapterTable adapterTable;  // zero-filled at start, filled once when the dialog opens
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    UninstallDialog dialog(adapterTable);
    return RunSetupProgram(dialog);
}

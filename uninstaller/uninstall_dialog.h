#pragma once
// UninstallDialog: the uninstaller's one dialog. It asks whether to remove
// the driver, removes it inside its OK handler and then offers a restart.
#include <windows.h>

#include "adapter_detection.h"
#include "setup_dialog.h"
#include "windows_directory.h"

class UninstallDialog : public SetupDialog {
public:
    // `adapters` is the program's detection table, filled when the dialog opens.
    explicit UninstallDialog(AdapterTable& adapters);

    // Deletes the installed driver files that are present, at the restart
    // those another program holds open, and what an install left for it.
    void DeleteDriverFiles();
    // Deletes every detected board's class and instance keys and the
    // product's machine-wide entries, and resets the display settings.
    void DeleteRegistryEntries();

    bool useChinese = false;
    // The Windows directory, ending in a backslash; empty when the system
    // directory gave none, and then nothing can be removed.
    char windowsDirectory[kWindowsDirectorySize] = {};

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    AdapterTable& adapters_;
};

#pragma once
// InstallDialog: the installer's one dialog. It asks whether to install, runs
// the install inside its OK handler and then offers a restart.
#include <windows.h>

#include "adapter_detection.h"
#include "driver_files.h"
#include "setup_dialog.h"
#include "windows_directory.h"

class InstallDialog : public SetupDialog {
public:
    // `adapters` is the program's detection table, filled when the dialog opens.
    explicit InstallDialog(AdapterTable& adapters);

    // The install sequence behind OK: files, then every detected board.
    void RunInstallSequence();

    // Copies one file through a buffer of `bufferSize` bytes and gives the
    // copy the source's times and attributes; an existing target is replaced
    // only by a whole copy, at the restart when another program holds it.
    // Every failure is reported in a message box owned by the dialog. True
    // when the file was copied or waits for the restart.
    bool CopyDriverFile(const DriverFilePath& sourcePath, const DriverFilePath& targetPath, DWORD bufferSize);
    // Shows the system's text for a failed read, write or stamp, or the
    // code's number where the system has none: no failure goes unreported.
    void ReportSystemError(DWORD error);
    // Copies the driver files from the medium into the Windows directory tree.
    void DeployDriverFiles();
    // Writes everything that binds one detected board to the driver.
    void RegisterDisplayAdapter(AdapterModel model, const char* adapterKeyName);
    // The machine-wide entries; acts only on its first call of the run.
    void WriteSystemSettings();

    // The Windows directory, ending in a backslash; empty when the system
    // directory gave none, and then nothing can be installed.
    char windowsDirectory[kWindowsDirectorySize] = {};
    bool useChinese = false;
    bool systemSettingsPending = true;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(WORD id) override;

private:
    AdapterTable& adapters_;
};

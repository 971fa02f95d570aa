#include "uninstall_run.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "e2e_fixture.h"
#include "install_run.h"
#include "temp_folder.h"
#include "state_recording.h"


UninstallRun RunUninstaller(const std::string& program, QuestionAnswer answer) {
    UninstallRun run;
    TempFolder folder;
    // The uninstaller closes right after asking for the restart; a second
    // windowed program of the machine, the installer at its prompt, stays to
    // witness the end-session messages a restart sends.
    StateRecording recording(folder / "witness.log");
    DrivenProgram witness(InstallerPath(), folder.path());
    HWND witnessDialog = witness.WaitForDialog(kInstallCaption);
    if (witnessDialog == nullptr || !recording.Attach(witness)) ADD_FAILURE() << "no restart witness";

    DrivenProgram uninstaller(program, folder.path());
    HWND dialog = uninstaller.WaitForDialog(kUninstallCaption);
    if (dialog == nullptr) return run;
    run.dialogOpened = true;

    ClickItem(dialog, IDOK);
    if (HWND box = uninstaller.WaitForMessageBox(dialog, 30000)) {
        run.questionAsked = true;
        run.completionText = ItemText(dialog, 1000);
        run.questionCaption = WindowCaption(box);
        run.questionText = MessageBoxText(box);
        run.questionButtons = MessageBoxButtons(box);
        ClickItem(box, answer == QuestionAnswer::kOk ? IDOK : IDCANCEL);
    }
    run.ended = uninstaller.WaitForExit(20000);
    // A restart ends the witness; otherwise it is sent away with Cancel.
    if (!witness.WaitForExit(answer == QuestionAnswer::kOk ? 5000 : 0)) {
        ClickItem(witnessDialog, IDCANCEL);
        witness.WaitForExit();
    }
    run.recorded = recording.Lines();
    return run;
}

#include "install_run.h"

#include "e2e_fixture.h"

InstallRun RunInstaller(const std::string& currentFolder, DoneAnswer answer,
                        const std::function<void(HWND dialog)>& inDone, const std::string& program) {
    InstallRun run;
    TempFolder logFolder;
    StateRecording recording(logFolder / "states.log");
    DrivenProgram installer(program.empty() ? InstallerPath() : program, currentFolder);
    HWND dialog = installer.WaitForDialog(kInstallCaption);
    if (dialog == nullptr) return run;
    run.dialogOpened = true;
    if (!recording.Attach(installer)) ADD_FAILURE() << "the state recorder could not be hooked in";

    ClickItem(dialog, IDOK);
    const DWORD start = GetTickCount();
    while (!ItemVisible(dialog, 1002) && GetTickCount() - start < Scaled(60000) && !installer.WaitForExit(0)) {
        if (HWND box = installer.WaitForMessageBox(dialog, 20)) {
            run.boxes.push_back({WindowCaption(box), MessageBoxText(box), MessageBoxButtons(box),
                                 ItemText(dialog, 1001)});
            ClickItem(box, IDOK);
            // Wait for this box to go before looking for the next one.
            for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
        }
    }
    run.reachedDone = ItemVisible(dialog, 1002);
    run.states = recording.Lines();
    DoneState& done = run.done;
    done.statusText = ItemText(dialog, 1001);
    done.rebootText = ItemText(dialog, 1002);
    done.cancelText = ItemText(dialog, IDCANCEL);
    done.okVisible = ItemVisible(dialog, IDOK);
    done.okEnabled = ItemEnabled(dialog, IDOK);
    done.cancelVisible = ItemVisible(dialog, IDCANCEL);
    done.rebootVisible = ItemVisible(dialog, 1002);
    done.progressVisible = ItemVisible(dialog, 1000);

    if (inDone) inDone(dialog);
    ClickItem(dialog, answer == DoneAnswer::kReboot ? 1002 : IDCANCEL);
    run.ended = installer.WaitForExit(20000);
    // What arrived after the Done state: the restart's end-session messages.
    const std::vector<std::string> all = recording.Lines();
    run.afterDone.assign(all.begin() + static_cast<long>(run.states.size()), all.end());
    return run;
}

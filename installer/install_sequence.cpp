#include "install_dialog.h"
#include "install_resources.h"
#include "install_texts.h"

void InstallDialog::OnOK() {
    // Enter still reaches OK's handler when OK is hidden and disabled (the
    // dialog manager then sends IDOK all the same): the install runs once.
    if (!IsWindowEnabled(Item(IDOK))) return;
    RunInstallSequence();
}

void InstallDialog::RunInstallSequence() {
    const InstallTexts& texts = InstallTextsFor(useChinese);

    // Copying: no button can interrupt what follows.
    ShowItem(IDOK, false);
    EnableItem(IDOK, false);
    ShowItem(IDCANCEL, false);
    ShowItem(IDC_PROGRESS, true);
    SetItemText(IDC_STATUS_TEXT, texts.copying);
    DeployDriverFiles();

    // Registering: the bar stays where the deployment left it.
    SetItemText(IDC_STATUS_TEXT, texts.registering);
    for (int k = 0; k < adapters_.count; ++k) {
        const char* name = adapters_.slots[k];
        if (const AdapterModel model = ClassifyAdapter(name)) RegisterDisplayAdapter(model, name);
    }

    // Done: the restart question, answered by Reboot or Cancel.
    SetItemText(IDC_STATUS_TEXT, texts.complete);
    ShowItem(IDC_REBOOT, true);
    ShowItem(IDCANCEL, true);
    ShowItem(IDC_PROGRESS, false);
}

#include "install_dialog.h"

#include "install_resources.h"
#include "install_texts.h"
#include "language.h"

InstallDialog::InstallDialog(AdapterTable& adapters) : SetupDialog(IDD_INSTALL), adapters_(adapters) {}

BOOL InstallDialog::OnInitDialog() {
    SetupDialog::OnInitDialog();
    DetectAdapters(adapters_);
    useChinese = UseChineseFor(GetSystemDefaultLangID());
    // Without a Windows directory every target path would be relative to the
    // medium: OK stays unavailable and only Cancel ends the program.
    if (!FindWindowsDirectory(windowsDirectory)) EnableItem(IDOK, false);
    ShowItem(IDC_REBOOT, false);
    if (useChinese) {
        const InstallTexts& texts = InstallTextsFor(true);
        SetItemText(IDC_STATUS_TEXT, texts.prompt);
        SetItemText(IDOK, texts.okButton);
        SetItemText(IDCANCEL, texts.cancelButton);
        SetItemText(IDC_REBOOT, texts.rebootButton);
    }
    return TRUE;  // the focus goes to OK, the first control
}

bool InstallDialog::OnCommand(WORD id) {
    if (id != IDC_REBOOT) return false;
    RequestRestart();  // a refusal leaves the dialog in Done with both buttons usable
    return true;
}

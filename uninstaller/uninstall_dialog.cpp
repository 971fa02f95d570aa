#include "uninstall_dialog.h"

#include "language.h"
#include "uninstall_resources.h"
#include "uninstall_texts.h"

UninstallDialog::UninstallDialog(AdapterTable& adapters)
    : SetupDialog(IDD_UNINSTALL), adapters_(adapters) {}

BOOL UninstallDialog::OnInitDialog() {
    SetupDialog::OnInitDialog();
    useChinese = UseChineseFor(GetSystemDefaultLangID());
    // Without a Windows directory every path would be relative to the
    // current folder: OK stays unavailable and only Cancel ends the program.
    if (!FindWindowsDirectory(windowsDirectory)) EnableItem(IDOK, false);
    DetectAdapters(adapters_);
    if (useChinese) {
        const UninstallTexts& texts = UninstallTextsFor(true);
        SetItemText(IDC_PROMPT_TEXT, texts.prompt);
        SetItemText(IDOK, texts.okButton);
        SetItemText(IDCANCEL, texts.cancelButton);
    }
    return TRUE;  // the focus goes to OK, the first control
}

void UninstallDialog::OnOK() {
    // OK is disabled then; this also stops a command that arrives another
    // way (Enter on the default button) from deleting in the current folder.
    if (windowsDirectory[0] == '\0') return;
    DeleteDriverFiles();
    DeleteRegistryEntries();
    const UninstallTexts& texts = UninstallTextsFor(useChinese);
    SetItemText(IDC_PROMPT_TEXT, texts.complete);
    if (ShowMessageBox(texts.restartQuestion, texts.restartCaption, MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
        RequestRestart();
    // Either answer ends the program: the removal has already happened.
    EndDialog(IDOK);
}

#include "setup_dialog.h"

#include <commctrl.h>

SetupDialog::SetupDialog(UINT templateId)
    : icon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kProgramIconId))),
      templateId_(templateId) {}

INT_PTR SetupDialog::RunModal() {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), nullptr,
                           &SetupDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

HWND SetupDialog::CreateModeless() {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), nullptr,
                              &SetupDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

int SetupDialog::ShowMessageBox(const char* text, const char* caption, UINT type) {
    return MessageBoxA(window_, text, caption, type);
}

void SetupDialog::RequestRestart() {
    ExitWindowsEx(EWX_REBOOT, 0);
}

BOOL SetupDialog::OnInitDialog() {
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    return TRUE;
}

void SetupDialog::EndDialog(INT_PTR result) {
    ::EndDialog(window_, result);
}

void SetupDialog::SetItemText(int id, const char* text) {
    HWND item = Item(id);
    SetWindowTextA(item, text);
    // Long work runs inside a handler without returning to the message loop;
    // the new text is painted now, not when the handler ends.
    UpdateWindow(item);
}

void SetupDialog::ShowItem(int id, bool visible) {
    ShowWindow(Item(id), visible ? SW_SHOW : SW_HIDE);
    UpdateWindow(window_);
}

void SetupDialog::EnableItem(int id, bool enabled) {
    EnableWindow(Item(id), enabled ? TRUE : FALSE);
}

bool SetupDialog::PaintMinimised() {
    if (!IsIconic(window_)) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    SendMessageA(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(window_, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(window_, &paint);
    return true;
}

INT_PTR CALLBACK SetupDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<SetupDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->window_ = window;
        return dialog->OnInitDialog();
    }
    auto* dialog = reinterpret_cast<SetupDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    return dialog != nullptr ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR SetupDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOK();
            return TRUE;
        case IDCANCEL:  // the Cancel button, Escape and the close box
            OnCancel();
            return TRUE;
        default:
            return OnCommand(LOWORD(wParam)) ? TRUE : FALSE;
        }
    case WM_PAINT:
        return PaintMinimised() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:  // answered by the dialog procedure's own result
        return reinterpret_cast<INT_PTR>(icon_);
    case WM_DESTROY:
        window_ = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

int RunSetupProgram(SetupDialog& dialog) {
    InitCommonControls();
    dialog.RunModal();
    return 0;
}

#pragma once
// The modal dialog both setup programs are built around: it loads the
// program's icon, paints it when minimised and routes the buttons to the
// handlers that each program's dialog overrides.
#include <windows.h>

constexpr int kProgramIconId = 128;

class SetupDialog {
public:
    explicit SetupDialog(UINT templateId);
    virtual ~SetupDialog() = default;
    SetupDialog(const SetupDialog&) = delete;
    SetupDialog& operator=(const SetupDialog&) = delete;

    // Runs the dialog modally, without a parent window; answers IDOK or IDCANCEL.
    INT_PTR RunModal();
    // Creates the same dialog modeless, for code that calls its operations
    // directly (the tests); the caller destroys it.
    HWND CreateModeless();
    HWND Window() const { return window_; }

    // The two places a test must take over: a modal message box it cannot
    // see coming, and the restart of the machine.
    virtual int ShowMessageBox(const char* text, const char* caption, UINT type);
    virtual void RequestRestart();

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Buttons other than OK and Cancel; answers whether it handled the id.
    virtual bool OnCommand(WORD /*id*/) { return false; }

    void EndDialog(INT_PTR result);
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    void SetItemText(int id, const char* text);
    void ShowItem(int id, bool visible);
    void EnableItem(int id, bool enabled);

    HICON icon_;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool PaintMinimised();

    UINT templateId_;
    HWND window_ = nullptr;
};

// The application start both programs share: enables the common controls
// (the progress bar and three-dimensional control drawing), runs the dialog
// modally and ends the program when it closes.
int RunSetupProgram(SetupDialog& dialog);

// ScreenshotDriver.exe: brings the installer and then the uninstaller it
// placed into each state worth a picture, and hands over to the script that
// takes the picture.
//
//   ScreenshotDriver.exe INSTALLER MEDIUM
//
// At every state it prints one line
//   READY <name> <X window id, hex> <x> <y> <width> <height>
// and waits for a line on its standard input before it goes on. States:
// install-prompt, install-done, uninstall-prompt, uninstall-question (the
// restart message box), uninstall-done (the dialog behind it).
#include <windows.h>

#include <cstdio>
#include <string>

#include "machine_state.h"
#include "ui_driver.h"

namespace {

constexpr int kStatusText = 1001;
constexpr int kRebootButton = 1002;

void Fail(const std::string& why) {
    std::printf("FAILED %s\n", why.c_str());
    std::fflush(stdout);
}

// Hands the window over to the script and waits until it has its picture.
// `active`: the window is the one the user works with, and its caption
// should be drawn so.
bool Ready(const char* name, HWND window, bool active = true) {
    // Give the program time to paint what it has just changed.
    Sleep(300);
    if (active) {
        // Without a window manager nothing activates the uninstaller, and the
        // installer, active from the start, still has an inactive caption.
        SetForegroundWindow(window);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(window, WM_NCACTIVATE, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    Sleep(300);
    RECT rect = {};
    GetWindowRect(window, &rect);
    // Wine's X11 driver records each top-level window's X window here.
    const auto xid = reinterpret_cast<ULONG_PTR>(GetPropA(window, "__wine_x11_whole_window"));
    std::printf("READY %s 0x%lx %ld %ld %ld %ld\n", name, static_cast<unsigned long>(xid), rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top);
    std::fflush(stdout);
    char line[64];
    return std::fgets(line, sizeof line, stdin) != nullptr;
}

int Install(const std::string& program, const std::string& medium) {
    DrivenProgram installer(program, medium);
    HWND dialog = installer.WaitForDialog(kInstallCaption);
    if (dialog == nullptr) return Fail("the install dialog did not open"), 1;
    if (!Ready("install-prompt", dialog)) return 1;

    ClickItem(dialog, IDOK);
    const DWORD start = GetTickCount();
    while (!ItemVisible(dialog, kRebootButton) && GetTickCount() - start < 60000) {
        // A driver file that could not be copied; the medium should have them all.
        if (HWND box = installer.WaitForMessageBox(dialog, 50)) {
            Fail("copy error: " + MessageBoxText(box));
            ClickItem(box, IDOK);
        }
    }
    if (!ItemVisible(dialog, kRebootButton)) return Fail("the install did not finish"), 1;
    if (!Ready("install-done", dialog)) return 1;

    ClickItem(dialog, IDCANCEL);
    if (!installer.WaitForExit()) return Fail("the installer did not end"), 1;
    return 0;
}

int Uninstall(const std::string& program) {
    DrivenProgram uninstaller(program, MachineWindowsDirectory());
    HWND dialog = uninstaller.WaitForDialog(kUninstallCaption);
    if (dialog == nullptr) return Fail("the uninstall dialog did not open"), 1;
    if (!Ready("uninstall-prompt", dialog)) return 1;

    ClickItem(dialog, IDOK);
    HWND box = uninstaller.WaitForMessageBox(dialog, 30000);
    if (box == nullptr) return Fail("no restart question"), 1;
    if (!Ready("uninstall-question", box)) return 1;

    // The question covers the dialog; move it below so that the completion
    // text behind it can be seen.
    RECT dialogRect = {}, boxRect = {}, overlap = {};
    GetWindowRect(dialog, &dialogRect);
    GetWindowRect(box, &boxRect);
    if (IntersectRect(&overlap, &dialogRect, &boxRect))
        SetWindowPos(box, nullptr, boxRect.left, dialogRect.bottom + 20, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!Ready("uninstall-done", dialog, false)) return 1;

    ClickItem(box, IDCANCEL);
    if (!uninstaller.WaitForExit()) return Fail("the uninstaller did not end"), 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: ScreenshotDriver.exe INSTALLER MEDIUM\n");
        return 2;
    }
    if (Install(argv[1], argv[2]) != 0) return 1;
    return Uninstall(MachineWindowsDirectory() + "System\\UnVarnel.exe");
}

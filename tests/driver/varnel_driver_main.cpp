// VarnelDriver.exe: runs a setup program on this machine the way a user
// would, or watches a user do it, and reports what it saw and what the
// program changed in the registry and the Windows directory.
//
//   VarnelDriver.exe installer PROGRAM MEDIUM --cancel|--install
//   VarnelDriver.exe uninstaller PROGRAM --cancel|--remove
//   VarnelDriver.exe round-trip INSTALLER MEDIUM
//       installs, then removes with the uninstaller the install placed
//   VarnelDriver.exe watch PROGRAM CURRENT-FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "machine_state.h"
#include "ui_driver.h"

namespace {

constexpr char kInstallCaption[] = "Install ORVA Varnel Windows 9X / ME Display Drivers";
constexpr char kUninstallCaption[] = "Uninstall ORVA Varnel Windows 95/98 Display Drivers";

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string Printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return "\"" + out + "\"";
}

void ReportChanges(const MachineState& before, const MachineState& after, const std::string& title) {
    const MachineChanges changes = CompareMachines(before, after);
    Say(title);
    if (changes.empty()) Say("  nothing");
    for (const std::string& line : changes.Describe()) Say("  " + line);
}

int DriveInstaller(const std::string& program, const std::string& medium, bool install) {
    DrivenProgram installer(program, medium);
    if (!installer.started()) {
        Say("could not start " + program);
        return 1;
    }
    HWND dialog = installer.WaitForDialog(kInstallCaption);
    if (dialog == nullptr) {
        Say("the install dialog did not open");
        return 1;
    }
    Say("Dialog open: " + Printable(WindowCaption(dialog)));
    Say("  prompt: " + Printable(ItemText(dialog, 1001)));
    Say("  buttons: " + Printable(ItemText(dialog, IDOK)) + " " + Printable(ItemText(dialog, IDCANCEL)));
    if (install) {
        Say("Clicking " + Printable(ItemText(dialog, IDOK)));
        ClickItem(dialog, IDOK);
        const DWORD start = GetTickCount();
        while (!ItemVisible(dialog, 1002) && GetTickCount() - start < 60000) {
            if (HWND box = installer.WaitForMessageBox(dialog, 50)) {
                Say("  message box " + Printable(WindowCaption(box)) + ": " + Printable(MessageBoxText(box)) +
                    ", answered OK");
                ClickItem(box, IDOK);
            }
        }
        Say("Done: " + Printable(ItemText(dialog, 1001)));
    }
    Say("Clicking " + Printable(ItemText(dialog, IDCANCEL)));
    ClickItem(dialog, IDCANCEL);
    if (!installer.WaitForExit()) {
        Say("the installer did not end");
        return 1;
    }
    Say("The installer ended.");
    return 0;
}

int DriveUninstaller(const std::string& program, bool remove) {
    DrivenProgram uninstaller(program, MachineWindowsDirectory());
    if (!uninstaller.started()) {
        Say("could not start " + program);
        return 1;
    }
    HWND dialog = uninstaller.WaitForDialog(kUninstallCaption);
    if (dialog == nullptr) {
        Say("the uninstall dialog did not open");
        return 1;
    }
    Say("Dialog open: " + Printable(WindowCaption(dialog)));
    Say("  prompt: " + Printable(ItemText(dialog, 1000)));
    Say("Clicking " + Printable(ItemText(dialog, remove ? IDOK : IDCANCEL)));
    ClickItem(dialog, remove ? IDOK : IDCANCEL);
    if (remove) {
        if (HWND box = uninstaller.WaitForMessageBox(dialog, 30000)) {
            Say("Done: " + Printable(ItemText(dialog, 1000)));
            Say("  question " + Printable(WindowCaption(box)) + ": " + Printable(MessageBoxText(box)) +
                ", answered Cancel (no restart)");
            ClickItem(box, IDCANCEL);
        }
    }
    if (!uninstaller.WaitForExit()) {
        Say("the uninstaller did not end");
        return 1;
    }
    Say("The uninstaller ended.");
    return 0;
}

int RoundTrip(const std::string& installer, const std::string& medium) {
    const MachineState start = CaptureMachine();
    Say("== Install ==");
    if (DriveInstaller(installer, medium, true) != 0) return 1;
    const MachineState installed = CaptureMachine();
    ReportChanges(start, installed, "What the installer changed:");
    Say("");
    Say("== Uninstall, with the uninstaller the install placed ==");
    if (DriveUninstaller(MachineWindowsDirectory() + "System\\UnVarnel.exe", true) != 0) return 1;
    const MachineState removed = CaptureMachine();
    ReportChanges(installed, removed, "What the uninstaller changed:");
    Say("");
    ReportChanges(start, removed, "What install and uninstall left behind, against the machine before both:");
    return 0;
}

int Watch(const std::string& program, const std::string& folder) {
    DrivenProgram watched(program, folder);
    if (!watched.started()) {
        Say("could not start " + program);
        return 1;
    }
    Say("Waiting for you to finish with the dialog...");
    watched.WaitForExit(INFINITE);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const std::string option = argc > 4 ? argv[4] : argc > 3 ? argv[3] : "";
    if (command == "round-trip" && argc == 4) return RoundTrip(argv[2], argv[3]);
    const MachineState before = CaptureMachine();
    int result = 2;
    if (command == "installer" && argc >= 4) result = DriveInstaller(argv[2], argv[3], option == "--install");
    else if (command == "uninstaller" && argc >= 3) result = DriveUninstaller(argv[2], option == "--remove");
    else if (command == "watch" && argc >= 4) result = Watch(argv[2], argv[3]);
    if (result == 2) {
        Say("usage: VarnelDriver.exe installer PROGRAM MEDIUM --cancel|--install");
        Say("       VarnelDriver.exe uninstaller PROGRAM --cancel|--remove");
        Say("       VarnelDriver.exe round-trip INSTALLER MEDIUM");
        Say("       VarnelDriver.exe watch PROGRAM CURRENT-FOLDER");
        return 2;
    }
    ReportChanges(before, CaptureMachine(), "What changed on the machine:");
    return result;
}

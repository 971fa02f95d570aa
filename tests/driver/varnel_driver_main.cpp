// VarnelDriver.exe: runs a setup program on this machine the way a user
// would, or watches a user do it, and reports what it saw and what the
// program changed in the registry and the Windows directory.
//
//   VarnelDriver.exe installer PROGRAM MEDIUM --cancel|--install
//   VarnelDriver.exe watch PROGRAM CURRENT-FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "machine_state.h"
#include "ui_driver.h"

namespace {

constexpr char kInstallCaption[] = "Install ORVA Varnel Windows 9X / ME Display Drivers";

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

void ReportChanges(const MachineState& before) {
    const MachineChanges changes = CompareMachines(before, CaptureMachine());
    Say("What changed on the machine:");
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
    if (argc < 4 || (command != "installer" && command != "watch")) {
        Say("usage: VarnelDriver.exe installer PROGRAM MEDIUM --cancel|--install");
        Say("       VarnelDriver.exe watch PROGRAM CURRENT-FOLDER");
        return 2;
    }
    const MachineState before = CaptureMachine();
    const int result = command == "watch"
                           ? Watch(argv[2], argv[3])
                           : DriveInstaller(argv[2], argv[3], argc > 4 && std::string(argv[4]) == "--install");
    ReportChanges(before);
    return result;
}

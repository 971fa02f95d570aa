// VarnelDriver.exe: runs a setup program on this machine the way a user
// would, or watches a user do it, and reports what it saw and what the
// program changed in the registry and the Windows directory.
//
//   VarnelDriver.exe installer PROGRAM MEDIUM --cancel|--install [--export FILE.reg]
//   VarnelDriver.exe uninstaller PROGRAM --cancel|--remove
//   VarnelDriver.exe round-trip INSTALLER MEDIUM
//       installs, then removes with the uninstaller the install placed
//   VarnelDriver.exe watch PROGRAM CURRENT-FOLDER
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "machine_state.h"
#include "ui_driver.h"

namespace {


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

// The program's dialog once it is open, or nullptr once it is said why not.
HWND OpenedDialog(DrivenProgram& driven, const std::string& program, const char* caption, const char* what) {
    if (!driven.started()) {
        Say("could not start " + program);
        return nullptr;
    }
    HWND dialog = driven.WaitForDialog(caption);
    if (dialog == nullptr) Say(std::string("the ") + what + " dialog did not open");
    return dialog;
}

int DriveInstaller(const std::string& program, const std::string& medium, bool install) {
    DrivenProgram installer(program, medium);
    HWND dialog = OpenedDialog(installer, program, kInstallCaption, "install");
    if (dialog == nullptr) return 1;
    Say("Dialog open: " + Printable(WindowCaption(dialog)));
    Say("  prompt: " + Printable(ItemText(dialog, 1001)));
    Say("  buttons: " + Printable(ItemText(dialog, IDOK)) + " " + Printable(ItemText(dialog, IDCANCEL)));
    if (install) {
        Say("Clicking " + Printable(ItemText(dialog, IDOK)));
        // OK's handler is the whole install: the click is sent rather than
        // posted, so that its reply comes the moment the install is done, and
        // times it to well under a millisecond (a driver that looks every
        // 20 ms measures in steps of 20 ms). Meanwhile another thread answers
        // the message boxes of files that could not be copied.
        std::atomic<bool> installing{true};
        std::thread answering([&] {
            while (installing) {
                HWND box = installer.WaitForMessageBox(dialog, 20);
                if (box == nullptr) continue;
                Say("  message box " + Printable(WindowCaption(box)) + ": " + Printable(MessageBoxText(box)) +
                    ", answered OK");
                ClickItem(box, IDOK);
                while (IsWindow(box) && installing) Sleep(10);
            }
        });
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        DWORD_PTR reply = 0;
        const bool done = SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                              reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)), SMTO_NORMAL,
                                              120000, &reply) != 0;
        QueryPerformanceCounter(&end);
        installing = false;
        answering.join();
        if (!done) {
            Say("the install did not end");
            return 1;
        }
        Say("Done: " + Printable(ItemText(dialog, 1001)));
        char time[64];
        std::snprintf(time, sizeof time, "Install time: %.2f ms from OK to Done",
                      1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                          static_cast<double>(frequency.QuadPart));
        Say(time);
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
    HWND dialog = OpenedDialog(uninstaller, program, kUninstallCaption, "uninstall");
    if (dialog == nullptr) return 1;
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

// The changes as a REGEDIT4 file, for importing the same entries elsewhere.
void ExportChanges(const MachineChanges& changes, const std::string& path) {
    std::string out = "REGEDIT4\r\n";
    std::string key;
    for (const auto& [ref, value] : changes.setValues) {
        if (ref.first != key) {
            key = ref.first;
            out += "\r\n[HKEY_LOCAL_MACHINE\\" + key + "]\r\n";
        }
        std::string name = "@";
        if (!ref.second.empty()) {
            name = "\"";
            for (char c : ref.second) name += (c == '\\' || c == '"') ? std::string("\\") + c : std::string(1, c);
            name += "\"";
        }
        char hex[4];
        if (value.type == REG_SZ && !value.data.empty() && value.data.back() == '\0') {
            out += name + "=\"";
            for (char c : value.data.substr(0, value.data.size() - 1))
                out += (c == '\\' || c == '"') ? std::string("\\") + c : std::string(1, c);
            out += "\"\r\n";
        } else if (value.type == REG_DWORD && value.data.size() == 4) {
            char number[16];
            std::snprintf(number, sizeof number, "dword:%08lx",
                          static_cast<unsigned long>(*reinterpret_cast<const DWORD*>(value.data.data())));
            out += name + "=" + number + "\r\n";
        } else {
            out += name + (value.type == REG_BINARY ? "=hex:" : "=hex(" + std::to_string(value.type) + "):");
            for (size_t i = 0; i < value.data.size(); ++i) {
                std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(value.data[i]));
                out += (i ? "," : "") + std::string(hex);
            }
            out += "\r\n";
        }
    }
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(out.data(), 1, out.size(), file);
        std::fclose(file);
    }
}

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
        Say("usage: VarnelDriver.exe installer PROGRAM MEDIUM --cancel|--install [--export FILE.reg]");
        Say("       VarnelDriver.exe uninstaller PROGRAM --cancel|--remove");
        Say("       VarnelDriver.exe round-trip INSTALLER MEDIUM");
        Say("       VarnelDriver.exe watch PROGRAM CURRENT-FOLDER");
        return 2;
    }
    const MachineState after = CaptureMachine();
    ReportChanges(before, after, "What changed on the machine:");
    if (argc > 5 && std::string(argv[5]) == "--export" && argc > 6) ExportChanges(CompareMachines(before, after), argv[6]);
    return result;
}

#pragma once
// Drives a setup program's dialogs from another process, as a user would:
// starts it in a given current folder, finds its dialog by caption, reads
// and clicks controls by id, and reads and answers its message boxes.
#include <windows.h>

#include <string>
#include <vector>

class DrivenProgram {
public:
    // Starts `exePath` with `currentFolder` as its current directory.
    DrivenProgram(const std::string& exePath, const std::string& currentFolder);
    ~DrivenProgram();
    DrivenProgram(const DrivenProgram&) = delete;
    DrivenProgram& operator=(const DrivenProgram&) = delete;

    bool started() const { return process_.hProcess != nullptr; }
    DWORD processId() const { return process_.dwProcessId; }
    DWORD threadId() const { return process_.dwThreadId; }

    // The program's top-level dialog with this caption, or null after the timeout.
    HWND WaitForDialog(const char* caption, DWORD timeoutMs = 10000) const;
    // A message box owned by `owner`, or null after the timeout.
    HWND WaitForMessageBox(HWND owner, DWORD timeoutMs = 10000) const;
    // Waits for the program to end; false on timeout.
    bool WaitForExit(DWORD timeoutMs = 10000) const;
    // What it ended with (STILL_ACTIVE while it runs).
    DWORD exitCode() const;
    // Ends a program a failed test left running.
    void Kill();

private:
    PROCESS_INFORMATION process_ = {};
};

// A wait sized for a PC of today, scaled by VARNEL_TIME_SCALE for a slower
// one: the emulated PC (tools/emulated-pc.sh) sets it.
DWORD Scaled(DWORD ms);

// Controls of another process's dialog, by id.
std::string ItemText(HWND dialog, int id);
bool ItemVisible(HWND dialog, int id);
bool ItemEnabled(HWND dialog, int id);
RECT ItemRectInClient(HWND dialog, int id);
std::string WindowCaption(HWND window);

// The programs' dialog captions, by which the driver finds their windows.
inline constexpr char kInstallCaption[] = "Install ORVA Varnel Windows 9X / ME Display Drivers";
inline constexpr char kUninstallCaption[] = "Uninstall ORVA Varnel Windows 95/98 Display Drivers";
// Clicks a button the way a user's click reaches the dialog; posted, so that
// a handler that opens its own message box does not block the driver.
void ClickItem(HWND dialog, int id);
// Control 0xFFFF of a message box is its text.
std::string MessageBoxText(HWND box);
// The ids of the visible buttons of a message box (IDOK, IDCANCEL, ...).
std::string MessageBoxButtons(HWND box);

// Holds a file open without sharing while it lives, as Windows holds the
// running display driver or a running program's own file.
class HeldFile {
public:
    explicit HeldFile(const std::string& path);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// Restarts Windows as far as files go: Wine's wineboot -r carries out
// WININIT.INI as Windows 9x does at its start. False when it did not end.
bool RestartWindows();

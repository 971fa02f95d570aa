#pragma once
// One run of the real installer, driven to its end: OK, every message box
// answered OK and remembered, the states recorded from inside, then the
// Done state read and Cancel or Reboot clicked.
#include <functional>
#include <string>
#include <vector>

#include "state_recording.h"

struct SeenBox {
    std::string caption;
    std::string text;
    std::string buttons;
    std::string statusText;  // of the dialog, while the box was up
};

struct DoneState {
    std::string statusText;
    std::string rebootText, cancelText;
    bool okVisible = true, okEnabled = true, cancelVisible = false, rebootVisible = false,
         progressVisible = true;
};

struct InstallRun {
    bool dialogOpened = false;
    bool reachedDone = false;
    bool ended = false;
    std::vector<std::string> states;     // StateRecording lines up to the Done state
    std::vector<std::string> afterDone;  // lines recorded after it
    std::vector<SeenBox> boxes;
    DoneState done;
};

enum class DoneAnswer { kCancel, kReboot };

// Runs InstVarnel.exe (the build's, or `program`) from `currentFolder` and
// drives it to its end. `inDone`, when given, acts on the dialog in the Done
// state before the answer.
InstallRun RunInstaller(const std::string& currentFolder, DoneAnswer answer = DoneAnswer::kCancel,
                        const std::function<void(HWND dialog)>& inDone = nullptr, const std::string& program = "");


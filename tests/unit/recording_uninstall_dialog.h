#pragma once
// The uninstall dialog with its two seams taken over: the restart question
// is recorded and answered with `answer`, a restart is only counted.
#include <string>
#include <vector>

#include "box_recorder.h"
#include "uninstall_dialog.h"

class RecordingUninstallDialog : public UninstallDialog, public BoxRecorder {
public:
    explicit RecordingUninstallDialog(AdapterTable& adapters, int answer = IDCANCEL)
        : UninstallDialog(adapters), answer(answer) {}
    ~RecordingUninstallDialog() override {
        if (Window() != nullptr) DestroyWindow(Window());
    }

    int ShowMessageBox(const char* text, const char* caption, UINT type) override {
        Record(text, caption, type);
        return answer;
    }
    void RequestRestart() override { ++restartRequests; }

    // Creates the dialog, which detects the boards planted so far, and points
    // it at `windowsFolder` instead of this machine's Windows directory.
    bool Open(const std::string& windowsFolder) {
        return CreateModeless() != nullptr && UseWindowsDirectory(windowsFolder);
    }
    bool UseWindowsDirectory(const std::string& windowsFolder) {
        if (windowsFolder.size() >= sizeof windowsDirectory) return false;
        windowsFolder.copy(windowsDirectory, windowsFolder.size());
        windowsDirectory[windowsFolder.size()] = '\0';
        return true;
    }

    int answer;
    int restartRequests = 0;
};

#pragma once
// The uninstall dialog with its two seams taken over: the restart question
// is recorded and answered with `answer`, a restart is only counted.
#include <string>
#include <vector>

#include "uninstall_dialog.h"

class RecordingUninstallDialog : public UninstallDialog {
public:
    struct Box {
        std::string text;
        std::string caption;
        UINT type;
    };

    explicit RecordingUninstallDialog(AdapterTable& adapters, int answer = IDCANCEL)
        : UninstallDialog(adapters), answer(answer) {}
    ~RecordingUninstallDialog() override {
        if (Window() != nullptr) DestroyWindow(Window());
    }

    int ShowMessageBox(const char* text, const char* caption, UINT type) override {
        boxes.push_back({text, caption != nullptr ? caption : "", type});
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
    std::vector<Box> boxes;
    int restartRequests = 0;
};

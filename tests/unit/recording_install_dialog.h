#pragma once
// The install dialog with its two seams taken over: message boxes are
// recorded and answered OK at once, a restart is only counted.
#include <string>
#include <vector>

#include "install_dialog.h"

class RecordingInstallDialog : public InstallDialog {
public:
    struct Box {
        std::string text;
        std::string caption;
        UINT type;
    };

    explicit RecordingInstallDialog(AdapterTable& adapters) : InstallDialog(adapters) {}

    int ShowMessageBox(const char* text, const char* caption, UINT type) override {
        boxes.push_back({text, caption != nullptr ? caption : "", type});
        return IDOK;
    }
    void RequestRestart() override { ++restartRequests; }

    std::vector<Box> boxes;
    int restartRequests = 0;
};

#pragma once
// The install dialog with its two seams taken over: message boxes are
// recorded and answered OK at once, a restart is only counted.
#include <string>
#include <vector>

#include "box_recorder.h"
#include "install_dialog.h"

class RecordingInstallDialog : public InstallDialog, public BoxRecorder {
public:
    explicit RecordingInstallDialog(AdapterTable& adapters) : InstallDialog(adapters) {}

    int ShowMessageBox(const char* text, const char* caption, UINT type) override {
        Record(text, caption, type);
        return IDOK;
    }
    void RequestRestart() override { ++restartRequests; }

    int restartRequests = 0;
};

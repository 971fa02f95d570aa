#pragma once
#include <string>
#include <vector>

#include "ui_driver.h"

// Records, from inside the program, the dialog's state at every new status
// text and progress position (StateRecorder.dll, hooked into its thread).
// Make it before the program starts: the program inherits where to write.
class StateRecording {
public:
    explicit StateRecording(const std::string& logPath);
    ~StateRecording();
    StateRecording(const StateRecording&) = delete;
    StateRecording& operator=(const StateRecording&) = delete;

    // Hooks the program's dialog thread; call once its dialog is open.
    bool Attach(const DrivenProgram& program);
    // One line per recorded moment: status=...|ok=...|cancel=...|reboot=...|progress=shown,N
    std::vector<std::string> Lines() const;

private:
    std::string logPath_;
    HMODULE recorder_ = nullptr;
    HHOOK hook_ = nullptr;
};

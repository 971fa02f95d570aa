#pragma once
// The message boxes a dialog under test would have shown, in order.
#include <windows.h>

#include <string>
#include <vector>

struct BoxRecorder {
    struct Box {
        std::string text;
        std::string caption;
        UINT type;
    };

    void Record(const char* text, const char* caption, UINT type) {
        boxes.push_back({text, caption != nullptr ? caption : "", type});
    }

    std::vector<Box> boxes;
};

#pragma once
// One run of the real uninstaller: OK, then the restart question read and
// answered.
#include <string>
#include <vector>

struct UninstallRun {
    bool dialogOpened = false;
    bool questionAsked = false;
    bool ended = false;
    std::string completionText;  // control 1000 behind the question
    std::string questionCaption, questionText, questionButtons;
    std::vector<std::string> recorded;  // a witness program's end-session messages, when Windows restarts
};

enum class QuestionAnswer { kOk, kCancel };

// Runs `program` (the installed copy, or the build's) and drives it to its end.
UninstallRun RunUninstaller(const std::string& program, QuestionAnswer answer = QuestionAnswer::kCancel);


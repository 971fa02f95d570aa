#include "state_recording.h"

StateRecording::StateRecording(const std::string& logPath) : logPath_(logPath) {
    DeleteFileA(logPath_.c_str());
    SetEnvironmentVariableA("VARNEL_STATE_LOG", logPath_.c_str());
}

StateRecording::~StateRecording() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    if (recorder_ != nullptr) FreeLibrary(recorder_);
    SetEnvironmentVariableA("VARNEL_STATE_LOG", nullptr);
    DeleteFileA(logPath_.c_str());
}

bool StateRecording::Attach(const DrivenProgram& program) {
    // The recorder lies beside the driver's own program.
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dll = path;
    dll = dll.substr(0, dll.rfind('\\') + 1) + "StateRecorder.dll";
    recorder_ = LoadLibraryA(dll.c_str());
    if (recorder_ == nullptr) return false;
    auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(recorder_, "RecordState")));
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, proc, recorder_, program.threadId());
    return hook_ != nullptr;
}

std::vector<std::string> StateRecording::Lines() const {
    std::vector<std::string> lines;
    HANDLE file = CreateFileA(logPath_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string content;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) content.append(chunk, read);
    CloseHandle(file);
    size_t start = 0;
    for (size_t end; (end = content.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(content.substr(start, end - start));
    return lines;
}

#include "ui_driver.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr DWORD kPollMs = 20;

struct FindBox {
    DWORD processId;
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM param) {
    auto* find = reinterpret_cast<FindBox*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (processId == find->processId && lstrcmpA(className, "#32770") == 0 &&
        GetWindow(window, GW_OWNER) == find->owner && IsWindowVisible(window)) {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

// Not SMTO_ABORTIFHUNG: Wine calls a program hung once it has not looked at
// its messages for 5 s, which an install on a slow PC can take.
std::string TextOf(HWND window) {
    if (window == nullptr) return {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, Scaled(5000), &length))
        return {};
    std::vector<char> text(length + 1);
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_NORMAL, Scaled(5000), &copied);
    return std::string(text.data(), copied);
}

}  // namespace

DWORD Scaled(DWORD ms) {
    static const DWORD scale = [] {
        char value[16] = "";
        GetEnvironmentVariableA("VARNEL_TIME_SCALE", value, sizeof value);
        const DWORD factor = strtoul(value, nullptr, 10);
        return factor ? factor : 1;
    }();
    return ms == INFINITE ? ms : ms * scale;
}

DrivenProgram::DrivenProgram(const std::string& exePath, const std::string& currentFolder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exePath + "\"";
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentFolder.c_str(), &startup, &process_))
        process_ = {};
}

DrivenProgram::~DrivenProgram() {
    if (process_.hProcess == nullptr) return;
    if (!WaitForExit(0)) Kill();
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND DrivenProgram::WaitForDialog(const char* caption, DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    do {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "#32770", caption)) != nullptr) {
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            if (processId == process_.dwProcessId && IsWindowVisible(window)) return window;
        }
        if (WaitForExit(kPollMs)) return nullptr;
    } while (GetTickCount() - start < Scaled(timeoutMs));
    return nullptr;
}

HWND DrivenProgram::WaitForMessageBox(HWND owner, DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    do {
        FindBox find = {process_.dwProcessId, owner, nullptr};
        EnumWindows(&FindOwnedDialog, reinterpret_cast<LPARAM>(&find));
        if (find.found != nullptr) return find.found;
        if (WaitForExit(kPollMs)) return nullptr;
    } while (GetTickCount() - start < Scaled(timeoutMs));
    return nullptr;
}

bool DrivenProgram::WaitForExit(DWORD timeoutMs) const {
    return process_.hProcess != nullptr &&
           WaitForSingleObject(process_.hProcess, Scaled(timeoutMs)) == WAIT_OBJECT_0;
}

DWORD DrivenProgram::exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

void DrivenProgram::Kill() {
    TerminateProcess(process_.hProcess, 255);
    WaitForSingleObject(process_.hProcess, 5000);
}

std::string ItemText(HWND dialog, int id) {
    return TextOf(GetDlgItem(dialog, id));
}

bool ItemVisible(HWND dialog, int id) {
    return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE;
}

bool ItemEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

RECT ItemRectInClient(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string WindowCaption(HWND window) {
    return TextOf(window);
}

void ClickItem(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string MessageBoxText(HWND box) {
    return ItemText(box, 0xFFFF);
}

std::string MessageBoxButtons(HWND box) {
    static const struct {
        int id;
        const char* name;
    } kButtons[] = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDYES, "Yes"}, {IDNO, "No"},
                    {IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    std::string names;
    for (const auto& button : kButtons) {
        if (!ItemVisible(box, button.id)) continue;
        if (!names.empty()) names += ",";
        names += button.name;
    }
    return names;
}

HeldFile::HeldFile(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}

HeldFile::~HeldFile() {
    if (held()) CloseHandle(handle_);
}

bool RestartWindows() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char commandLine[] = "wineboot.exe -r";
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    const bool ended = WaitForSingleObject(process.hProcess, Scaled(60000)) == WAIT_OBJECT_0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended;
}

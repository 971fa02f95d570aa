// StateRecorder.dll: loaded into a setup program by a WH_CALLWNDPROCRET hook
// of the UI driver. The install runs inside one handler without returning to
// the message loop, so another process cannot ask the dialog anything while
// it runs; from inside, each new status text and progress position is
// recorded together with the state of every control at that moment, one
// line each, appended to the file named by VARNEL_STATE_LOG.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

std::string Escaped(const char* text) {
    std::string out;
    for (; *text; ++text) {
        if (*text == '\n') out += "\\n";
        else if (*text == '\t') out += "\\t";
        else if (*text == '|' || *text == '\\') out += std::string("\\") + *text;
        else out += *text;
    }
    return out;
}

std::string Control(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    std::string state = IsWindowVisible(item) ? "shown" : "hidden";
    state += IsWindowEnabled(item) ? "" : ",disabled";
    return state;
}

void Append(const std::string& line) {
    char path[MAX_PATH];
    if (!GetEnvironmentVariableA("VARNEL_STATE_LOG", path, sizeof path)) return;
    if (FILE* log = std::fopen(path, "ab")) {
        std::fwrite(line.data(), 1, line.size(), log);
        std::fclose(log);
    }
}

void Record(HWND dialog) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, 1001, text, sizeof text);
    const LRESULT position = SendDlgItemMessageA(dialog, 1000, PBM_GETPOS, 0, 0);
    std::string line = "status=" + Escaped(text) + "|ok=" + Control(dialog, IDOK) +
                       "|cancel=" + Control(dialog, IDCANCEL) + "|reboot=" + Control(dialog, 1002) +
                       "|progress=" + Control(dialog, 1000) + "," + std::to_string(position) + "\n";
    Append(line);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK RecordState(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        const int id = GetDlgCtrlID(call->hwnd);
        if ((call->message == WM_SETTEXT && id == 1001) || (call->message == PBM_SETPOS && id == 1000))
            Record(GetParent(call->hwnd));
        // How Windows asks a program to end when it restarts.
        if (call->message == WM_QUERYENDSESSION || call->message == WM_ENDSESSION)
            Append(call->message == WM_QUERYENDSESSION ? "query-end-session\n" : "end-session\n");
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// StateRecorder.dll: loaded into a setup program by a WH_CALLWNDPROCRET hook
// of the UI driver. The install runs inside one handler without returning to
// the message loop, so another process cannot ask the dialog anything while
// it runs; from inside, each new status text and progress position is
// recorded together with the state of every control at that moment, one
// line each, appended to the file named by VARNEL_STATE_LOG.
//
// With VARNEL_KILL_AT_WRITE set, the program's own imports of the calls that
// change files, folders, system.ini and the registry are routed through here
// as well: each such call is recorded as a "write=" line before it is made,
// and the one numbered VARNEL_KILL_AT_WRITE (counting from 1; 0 for none)
// ends the process instead, as a crash or a reset would at that moment.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "import_reroute.h"

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

// The write journal and the kill.
long writesMade = 0;
long killAt = 0;

void BeforeWrite(const char* call, const std::string& detail) {
    ++writesMade;
    if (writesMade == killAt) {
        Append("killed=" + std::to_string(writesMade) + "\n");
        TerminateProcess(GetCurrentProcess(), 255);
    }
    Append("write=" + std::to_string(writesMade) + "|" + call + "|" + detail + "\n");
}

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

decltype(&CreateDirectoryA) realCreateDirectoryA;
decltype(&CreateFileA) realCreateFileA;
decltype(&WriteFile) realWriteFile;
decltype(&SetFileTime) realSetFileTime;
decltype(&SetFileAttributesA) realSetFileAttributesA;
decltype(&DeleteFileA) realDeleteFileA;
decltype(&MoveFileA) realMoveFileA;
decltype(&WritePrivateProfileStringA) realWritePrivateProfileStringA;
decltype(&RegCreateKeyExA) realRegCreateKeyExA;
decltype(&RegSetValueExA) realRegSetValueExA;

BOOL WINAPI JournalCreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
    BeforeWrite("CreateDirectoryA", Text(path));
    return realCreateDirectoryA(path, security);
}

HANDLE WINAPI JournalCreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                 DWORD disposition, DWORD flags, HANDLE templateFile) {
    // Opening for reading changes nothing.
    if (access & GENERIC_WRITE) BeforeWrite("CreateFileA", Text(path) + " " + std::to_string(disposition));
    return realCreateFileA(path, access, share, security, disposition, flags, templateFile);
}

BOOL WINAPI JournalWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    BeforeWrite("WriteFile", std::to_string(size));
    return realWriteFile(file, data, size, written, overlapped);
}

BOOL WINAPI JournalSetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* access, const FILETIME* write) {
    BeforeWrite("SetFileTime", "");
    return realSetFileTime(file, creation, access, write);
}

BOOL WINAPI JournalSetFileAttributesA(LPCSTR path, DWORD attributes) {
    BeforeWrite("SetFileAttributesA", Text(path) + " " + std::to_string(attributes));
    return realSetFileAttributesA(path, attributes);
}

BOOL WINAPI JournalDeleteFileA(LPCSTR path) {
    BeforeWrite("DeleteFileA", Text(path));
    return realDeleteFileA(path);
}

BOOL WINAPI JournalMoveFileA(LPCSTR from, LPCSTR to) {
    BeforeWrite("MoveFileA", Text(from) + " " + Text(to));
    return realMoveFileA(from, to);
}

BOOL WINAPI JournalWritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR text, LPCSTR path) {
    BeforeWrite("WritePrivateProfileStringA", Text(path) + " [" + Text(section) + "] " + Text(key));
    return realWritePrivateProfileStringA(section, key, text, path);
}

LONG WINAPI JournalRegCreateKeyExA(HKEY root, LPCSTR path, DWORD reserved, LPSTR keyClass, DWORD options,
                                   REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition) {
    BeforeWrite("RegCreateKeyExA", Text(path));
    return realRegCreateKeyExA(root, path, reserved, keyClass, options, access, security, key, disposition);
}

LONG WINAPI JournalRegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
    BeforeWrite("RegSetValueExA", Text(name));
    return realRegSetValueExA(key, name, reserved, type, data, size);
}

// Once, in the hooked program (never in the driver, which loads this DLL
// only to find the hook procedure).
void StartJournal() {
    static bool started = false;
    if (started) return;
    started = true;
    char number[32];
    if (!GetEnvironmentVariableA("VARNEL_KILL_AT_WRITE", number, sizeof number)) return;
    killAt = std::strtol(number, nullptr, 10);
    Reroute("kernel32.dll", "CreateDirectoryA", &JournalCreateDirectoryA, realCreateDirectoryA);
    Reroute("kernel32.dll", "CreateFileA", &JournalCreateFileA, realCreateFileA);
    Reroute("kernel32.dll", "WriteFile", &JournalWriteFile, realWriteFile);
    Reroute("kernel32.dll", "SetFileTime", &JournalSetFileTime, realSetFileTime);
    Reroute("kernel32.dll", "SetFileAttributesA", &JournalSetFileAttributesA, realSetFileAttributesA);
    Reroute("kernel32.dll", "DeleteFileA", &JournalDeleteFileA, realDeleteFileA);
    Reroute("kernel32.dll", "MoveFileA", &JournalMoveFileA, realMoveFileA);
    Reroute("kernel32.dll", "WritePrivateProfileStringA", &JournalWritePrivateProfileStringA,
            realWritePrivateProfileStringA);
    Reroute("advapi32.dll", "RegCreateKeyExA", &JournalRegCreateKeyExA, realRegCreateKeyExA);
    Reroute("advapi32.dll", "RegSetValueExA", &JournalRegSetValueExA, realRegSetValueExA);
    Append("journal\n");
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK RecordState(int code, WPARAM wParam, LPARAM lParam) {
    StartJournal();
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

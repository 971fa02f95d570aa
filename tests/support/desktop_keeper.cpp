// Keeps the prefix's desktop open for a whole test run. Wine starts its
// desktop process (explorer.exe /desktop) for the first program that uses
// windows and ends it a second after the last one has gone; a test that
// started it would hand it CTest's output pipe, and CTest would wait for
// that second after every such test. Started by the session, it holds the
// desktop with a message-only window until the session ends the server.
#include <windows.h>

int main() {
    CreateWindowExA(0, "STATIC", "varnel desktop keeper", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    Sleep(INFINITE);
    return 0;
}

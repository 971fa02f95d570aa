#include "windows_directory.h"

#include <windows.h>

bool WindowsDirectoryFromSystemDirectory(const char* systemDirectory,
                                         char (&windowsDirectory)[kWindowsDirectorySize]) {
    windowsDirectory[0] = '\0';
    // The last backslash ends the Windows directory. A lone drive ("C:") has
    // none: appending to it would address the current directory of the drive.
    int length = 0;
    for (int i = 0; systemDirectory[i] != '\0'; ++i) {
        if (systemDirectory[i] == '\\') length = i + 1;
    }
    if (length == 0 || length >= kWindowsDirectorySize) return false;
    for (int i = 0; i < length; ++i) windowsDirectory[i] = systemDirectory[i];
    windowsDirectory[length] = '\0';
    return true;
}

bool FindWindowsDirectory(char (&windowsDirectory)[kWindowsDirectorySize]) {
    // Asked with room for any path, so that a long system directory is
    // refused whole rather than cut short by the platform.
    char systemDirectory[MAX_PATH + 1];
    const UINT length = GetSystemDirectoryA(systemDirectory, sizeof systemDirectory);
    if (length == 0 || length >= sizeof systemDirectory) {
        windowsDirectory[0] = '\0';
        return false;
    }
    return WindowsDirectoryFromSystemDirectory(systemDirectory, windowsDirectory);
}

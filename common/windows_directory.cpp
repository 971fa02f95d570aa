#include "windows_directory.h"

#include <windows.h>

#include <cstring>

bool WindowsDirectoryFromSystemDirectory(const char* systemDirectory,
                                         char (&windowsDirectory)[kWindowsDirectorySize]) {
    windowsDirectory[0] = '\0';
    // The last backslash ends the Windows directory. A lone drive ("C:") has
    // none: appending to it would address the current directory of the drive.
    const char* lastBackslash = std::strrchr(systemDirectory, '\\');
    if (lastBackslash == nullptr) return false;
    const size_t length = static_cast<size_t>(lastBackslash - systemDirectory) + 1;
    if (length >= kWindowsDirectorySize) return false;
    std::memcpy(windowsDirectory, systemDirectory, length);
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

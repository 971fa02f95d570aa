#pragma once
// The Windows directory, derived from the system directory.

constexpr int kWindowsDirectorySize = 128;
// The most characters a Windows directory has, its last backslash included.
constexpr int kWindowsDirectoryLength = kWindowsDirectorySize - 1;

// Fills `windowsDirectory` with the system directory cut after its last
// backslash: C:\WINDOWS\SYSTEM gives C:\WINDOWS\, and so does NT's and
// Wine's C:\WINDOWS\system32. A system directory without a backslash, or one
// whose Windows directory would not fit in 127 characters, gives no usable
// answer: the result is then the empty text and the function returns false.
bool WindowsDirectoryFromSystemDirectory(const char* systemDirectory,
                                         char (&windowsDirectory)[kWindowsDirectorySize]);

// The same for this machine's system directory.
bool FindWindowsDirectory(char (&windowsDirectory)[kWindowsDirectorySize]);

#pragma once
// Whether a file is there to be read, and whether another program holds it:
// the installer's probe of the medium, and both programs' checks before they
// replace or delete a file.
#include <windows.h>

// True when `path` names an existing file that can be opened for reading now.
// A missing file, a folder and a file another program holds open without
// sharing all answer false.
bool FileOpensForReading(const char* path);

// Whether `error`, from opening a file that is not read-only for writing
// without sharing, says that another program holds it open: Windows 9x holds
// a loaded driver's file and a running program's so.
bool IsHeldOpenError(DWORD error);

// True when `path` is a file, not read-only, that another program holds open.
bool FileHeldOpen(const char* path);

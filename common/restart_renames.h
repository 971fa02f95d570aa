#pragma once
// The renames and deletions Windows 9x carries out at its next start, before
// any driver loads: the [rename] section of WININIT.INI in the Windows
// directory, a line "TARGET=SOURCE" or "NUL=FILE" each, both sides short
// (8.3) paths, since long names are not to be had that early. Windows then
// renames the file WININIT.BAK.
//
// NUL stands on many lines, so the file is edited as text, not through the
// profile functions (one value per key). Other programs' lines stay as they
// are, in their order; ours go at the end of the first [rename] section,
// which is made when there is none. The file is written whole beside itself
// and put in place as the driver files are, so that a write cut short never
// costs another program its pending operations; and only when an edit
// changes it.
#include <windows.h>

#include "file_replacement.h"

// A short path, as GetShortPathNameA gives it.
struct ShortPath {
    char text[MAX_PATH];
};

// The short form of the existing file `path`; false when it has none that fits.
bool FindShortPath(const char* path, ShortPath& shortPath);

// Drops every [rename] line one side of which is `named` or `alsoNamed`
// (either may be null; letters compared without regard to case), then adds
// "target=source" when `target` is given. False when WININIT.INI could not be
// read or written whole; it is then as it was.
bool EditRestartRenames(const char* windowsDirectory, const char* named, const char* alsoNamed,
                        const char* target = nullptr, const char* source = nullptr);

// Takes back what was asked of the next start for the file: its staged file
// goes, and every line naming either. False when WININIT.INI could not be written.
bool CancelRestartRename(const char* windowsDirectory, const ReplacementPaths& paths);

// Puts WININIT.INI back when a write of it was cut short between its renames.
void SettleRestartRenames(const char* windowsDirectory);

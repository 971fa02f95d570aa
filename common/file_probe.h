#pragma once
// Whether a file is there to be read: the installer's probe of the medium and
// the uninstaller's check before it deletes a file.

// True when `path` names an existing file that can be opened for reading now.
// A missing file, a folder and a file another program holds open without
// sharing all answer false.
bool FileOpensForReading(const char* path);

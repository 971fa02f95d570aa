#pragma once
// A folder of the test's own under the Windows temporary folder, removed with
// everything in it when the object goes.
#include <string>

#include "machine_state.h"  // ReadFileBytes, shared with the demo's driver

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, ending in a backslash.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + relative; }

private:
    std::string path_;
};

// Small file helpers for tests.
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
void MakeFolder(const std::string& path);
void RemoveTree(const std::string& path);

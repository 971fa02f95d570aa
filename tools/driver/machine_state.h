#pragma once
// What a setup program may change on a machine: all of HKEY_LOCAL_MACHINE and
// the Windows directory's own files with its INF, System and Help folders.
// Captured before and after a run and compared, by the demo's driver and the
// tests alike.
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct RegistryValue {
    DWORD type = REG_NONE;
    std::string data;  // the raw bytes
    bool operator==(const RegistryValue& other) const {
        return type == other.type && data == other.data;
    }
};

// A rendering of a value for messages: REG_SZ "text", REG_DWORD 0x1, hex bytes.
std::string Describe(const RegistryValue& value);

// A file's bytes; empty when it is missing.
std::string ReadFileBytes(const std::string& path);

struct FileState {
    std::string content;  // every captured file is small enough to keep whole
    DWORD attributes = 0;
    bool folder = false;
};

struct MachineState {
    // Key path (as the registry spells it) to its values by name.
    std::map<std::string, std::map<std::string, RegistryValue>> keys;
    // Path relative to the Windows directory to what it holds.
    std::map<std::string, FileState> files;
};

using ValueRef = std::pair<std::string, std::string>;  // key path, value name

struct MachineChanges {
    std::set<std::string> addedKeys;
    std::set<std::string> removedKeys;
    std::map<ValueRef, RegistryValue> setValues;  // added or changed, with the new value
    std::set<ValueRef> removedValues;
    std::set<std::string> addedFiles;  // folders end in a backslash
    std::set<std::string> changedFiles;
    std::set<std::string> removedFiles;

    bool empty() const;
    // One line per change, sorted; for test messages and the demo's report.
    std::vector<std::string> Describe() const;
};

// The Windows directory, ending in a backslash (C:\windows\ under Wine).
std::string MachineWindowsDirectory();

MachineState CaptureMachine();
// HKEY_LOCAL_MACHINE alone (a test's own, where it is redirected).
MachineState CaptureRegistry();
MachineChanges CompareMachines(const MachineState& before, const MachineState& after);

// The two halves of a capture, for one kept in files: HKEY_LOCAL_MACHINE
// saved by Wine in its own text format and read back, and the captured
// files of a Windows directory.
void SaveRegistry(const std::string& file);
void ReadSavedRegistry(const std::string& file, MachineState& state);
void CaptureFiles(const std::string& windowsDirectory, MachineState& state);

// Keys compare without regard to case, as the registry does.
std::string UpperCase(std::string text);

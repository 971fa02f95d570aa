#pragma once
// The reviewed expectations under tests/golden/, read by unit and end-to-end
// tests alike, and the build's Unix paths as the Wine process sees them.
#include <set>
#include <string>
#include <utility>
#include <vector>

// A Unix path of the build as a Windows path: Wine's drive Z: is the Unix root.
std::string FromUnix(const std::string& unixPath);

// InstVarnel.exe or UnVarnel.exe in the build's folder `folder` (a Unix path).
std::string ShippedProgram(const char* folder, const char* name);

// The text of tests/golden/<name>.
std::string GoldenText(const char* name);
// Its lines, without blank lines and lines starting with '#'.
std::vector<std::string> GoldenLines(const char* name);

// A registry listing (model1_board.txt and the like), values only, with
// <windows> replaced by `windows`.
std::vector<std::string> GoldenValues(const char* name, const std::string& windows = "");
// The value lines of a listing: keys standing alone dropped.
std::vector<std::string> ValueLines(const std::vector<std::string>& listing);

// driver_files.txt: the files an install places, in copy order.
struct GoldenDriverFile {
    std::string source;  // name on the medium
    std::string target;  // relative to the Windows directory
};
std::vector<GoldenDriverFile> GoldenDriverFiles();
// The medium's file names, each once.
std::vector<std::string> GoldenMediumNames();

// uninstall_leftovers.txt: what the uninstaller leaves of the installed files.
std::vector<std::string> GoldenLeftoverFiles();
// The installed files the uninstaller deletes: the placed ones but the leftovers.
std::vector<std::string> GoldenRemovedFiles();

// uninstall_registry_leftovers.txt: what the uninstaller leaves of an
// install's registry entries and system.ini line. `instanceKeys` stand for its
// <instance>; `boards` says whether the install registered a board.
// The values left set, as key path and value name.
std::set<std::pair<std::string, std::string>> GoldenLeftoverValues(const std::set<std::string>& instanceKeys,
                                                                   bool boards);
// The listing lines of those whose data is known: the uninstall's own writes,
// and with `boards` the install's kept values as its listings give them, with
// <windows> replaced by `windows`.
std::vector<std::string> GoldenLeftoverLines(bool boards, const std::string& windows);
// The keys of the "kept" lines (they stay, emptied of the install's values)
// or the "gone" ones; <new> is each of `newKeys` that lies there.
std::vector<std::string> GoldenLeftoverKeys(const std::string& word, const std::set<std::string>& newKeys);
// The values of the "gone" lines, as key path and value name, with <windows>
// replaced by `windows`.
std::set<std::pair<std::string, std::string>> GoldenRemovedValues(const std::string& windows);
// The entries an install set in files of the Windows directory, which stay.
struct GoldenIniEntry {
    std::string file;     // relative to the Windows directory
    std::string section;  // with its brackets
    std::string entry;    // key=value
};
std::vector<GoldenIniEntry> GoldenLeftoverIniEntries();

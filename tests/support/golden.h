#pragma once
// The reviewed expectations under tests/golden/, read by unit and end-to-end
// tests alike, and the build's Unix paths as the Wine process sees them.
#include <string>
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

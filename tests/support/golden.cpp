#include "golden.h"

#include <algorithm>
#include <sstream>

#include "build_facts.h"
#include "temp_folder.h"

std::string FromUnix(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ShippedProgram(const char* folder, const char* name) {
    return FromUnix(std::string(folder) + "/" + name);
}

std::string GoldenText(const char* name) {
    return ReadFileBytes(FromUnix(std::string(VARNEL_GOLDEN_DIR) + "/" + name));
}

std::vector<std::string> GoldenLines(const char* name) {
    std::vector<std::string> lines;
    std::istringstream text(GoldenText(name));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> ValueLines(const std::vector<std::string>& listing) {
    std::vector<std::string> values;
    for (const std::string& line : listing)
        if (line.find(" [") != std::string::npos) values.push_back(line);
    return values;
}

std::vector<std::string> GoldenValues(const char* name, const std::string& windows) {
    std::vector<std::string> lines = ValueLines(GoldenLines(name));
    const std::string placeholder = "<windows>";
    for (std::string& line : lines)
        for (size_t at = line.find(placeholder); at != std::string::npos; at = line.find(placeholder, at + windows.size()))
            line.replace(at, placeholder.size(), windows);
    return lines;
}

std::vector<GoldenDriverFile> GoldenDriverFiles() {
    std::vector<GoldenDriverFile> files;
    for (const std::string& line : GoldenLines("driver_files.txt")) {
        std::istringstream fields(line);
        GoldenDriverFile file;
        fields >> file.source >> file.target;
        files.push_back(file);
    }
    return files;
}

std::vector<std::string> GoldenMediumNames() {
    std::vector<std::string> names;
    for (const GoldenDriverFile& file : GoldenDriverFiles())
        if (std::find(names.begin(), names.end(), file.source) == names.end()) names.push_back(file.source);
    return names;
}

std::vector<std::string> GoldenLeftoverFiles() {
    return GoldenLines("uninstall_leftovers.txt");
}

std::vector<std::string> GoldenRemovedFiles() {
    const std::vector<std::string> leftovers = GoldenLeftoverFiles();
    std::vector<std::string> removed;
    for (const GoldenDriverFile& file : GoldenDriverFiles())
        if (std::find(leftovers.begin(), leftovers.end(), file.target) == leftovers.end())
            removed.push_back(file.target);
    return removed;
}

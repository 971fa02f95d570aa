#include "golden.h"

#include <algorithm>
#include <sstream>
#include <string.h>

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

namespace {

// A line of uninstall_registry_leftovers.txt: what follows its word.
struct Leftover {
    std::string text;
    bool IsValue() const { return text.find(" [") != std::string::npos; }
    std::string Key() const { return text.substr(0, text.find(" [")); }
    std::string Name() const {
        const size_t at = text.find(" [") + 2;
        return text.substr(at, text.find(']', at) - at);
    }
};

std::vector<Leftover> RegistryLeftovers(const std::string& word) {
    std::vector<Leftover> leftovers;
    for (const std::string& line : GoldenLines("uninstall_registry_leftovers.txt")) {
        const size_t gap = line.find(' ');
        if (line.substr(0, gap) == word) leftovers.push_back({line.substr(line.find_first_not_of(' ', gap))});
    }
    return leftovers;
}

}  // namespace

std::set<std::pair<std::string, std::string>> GoldenLeftoverValues(const std::set<std::string>& instanceKeys,
                                                                   bool boards) {
    std::set<std::pair<std::string, std::string>> values;
    for (const char* word : {"set", boards ? "kept" : "set"})
        for (const Leftover& leftover : RegistryLeftovers(word)) {
            if (!leftover.IsValue()) continue;
            const bool each = leftover.Key() == "<instance>";
            for (const std::string& key : each ? instanceKeys : std::set<std::string>{leftover.Key()})
                values.insert({key, leftover.Name()});
        }
    return values;
}

std::vector<std::string> GoldenLeftoverLines(bool boards, const std::string& windows) {
    std::vector<std::string> lines;
    for (const Leftover& leftover : RegistryLeftovers("set")) lines.push_back(leftover.text);
    if (!boards) return lines;
    std::vector<std::string> installed = GoldenValues("system_settings.txt", windows);
    for (const std::string& line : GoldenValues("driver_companions.txt")) installed.push_back(line);
    for (const Leftover& leftover : RegistryLeftovers("kept")) {
        if (!leftover.IsValue() || leftover.Key() == "<instance>") continue;
        auto listed = std::find_if(installed.begin(), installed.end(),
                                   [&](const std::string& line) { return line.rfind(leftover.text + " = ", 0) == 0; });
        lines.push_back(listed != installed.end() ? *listed : leftover.text);  // without data it holds nowhere
    }
    return lines;
}

std::vector<std::string> GoldenLeftoverKeys(const std::string& word, const std::set<std::string>& newKeys) {
    const std::string placeholder = "<new>";
    std::vector<std::string> keys;
    for (const Leftover& leftover : RegistryLeftovers(word)) {
        if (leftover.IsValue()) continue;
        const size_t at = leftover.text.find(placeholder);
        if (at == std::string::npos) keys.push_back(leftover.text);
        else
            for (const std::string& key : newKeys)  // the registry's names compare without regard to case
                if (key.size() > at && _strnicmp(key.c_str(), leftover.text.c_str(), at) == 0) keys.push_back(key);
    }
    return keys;
}

std::set<std::pair<std::string, std::string>> GoldenRemovedValues(const std::string& windows) {
    const std::string placeholder = "<windows>";
    std::set<std::pair<std::string, std::string>> values;
    for (const Leftover& leftover : RegistryLeftovers("gone")) {
        if (!leftover.IsValue()) continue;
        std::string name = leftover.Name();
        if (name.rfind(placeholder, 0) == 0) name = windows + name.substr(placeholder.size());
        values.insert({leftover.Key(), name});
    }
    return values;
}

std::vector<GoldenIniEntry> GoldenLeftoverIniEntries() {
    std::vector<GoldenIniEntry> entries;
    for (const Leftover& leftover : RegistryLeftovers("ini")) {
        std::istringstream fields(leftover.text);
        GoldenIniEntry entry;
        fields >> entry.file >> entry.section >> entry.entry;
        entries.push_back(entry);
    }
    return entries;
}

#include "machine_state.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

// Folders below the Windows directory that are captured with their subfolders.
constexpr const char* kCapturedFolders[] = {"INF", "SYSTEM", "HELP"};

// The whole of HKEY_LOCAL_MACHINE comes from one RegSaveKeyA in Wine's own
// text format: 45 ms for a Windows 98 prefix's 9,000 keys, where walking
// them through the API takes 500 ms.
bool EnableBackupPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    const bool ok = LookupPrivilegeValueA(nullptr, "SeBackupPrivilege", &privileges.Privileges[0].Luid) &&
                    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
    return ok;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    std::string text(wide.size() * 2 + 1, '\0');
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                                           static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(length > 0 ? length : 0);
    return text;
}

// Reads a quoted or bracketed text of the saved file up to `end`, undoing
// its escapes; `at` is left after the closing character.
std::wstring Unescape(const std::string& line, size_t& at, char end) {
    std::string utf8;
    while (at < line.size() && line[at] != end) {
        char c = line[at++];
        if (c != '\\' || at >= line.size()) {
            utf8 += c;
            continue;
        }
        c = line[at++];
        unsigned code = 0;
        switch (c) {
        case 'a': code = 7; break;
        case 'b': code = 8; break;
        case 't': code = 9; break;
        case 'n': code = 10; break;
        case 'v': code = 11; break;
        case 'f': code = 12; break;
        case 'r': code = 13; break;
        case 'e': code = 27; break;
        case 'x':
            for (int digits = 0; digits < 4 && at < line.size() && std::isxdigit(static_cast<unsigned char>(line[at]));
                 ++digits)
                code = code * 16 + std::stoi(std::string(1, line[at++]), nullptr, 16);
            break;
        default:
            if (c >= '0' && c <= '7') {
                code = c - '0';
                for (int digits = 1; digits < 3 && at < line.size() && line[at] >= '0' && line[at] <= '7'; ++digits)
                    code = code * 8 + (line[at++] - '0');
            } else {
                utf8 += c;
                continue;
            }
        }
        // Escaped characters go through as UTF-8 like the rest of the line.
        wchar_t wide = static_cast<wchar_t>(code);
        char bytes[8];
        const int length = WideCharToMultiByte(CP_UTF8, 0, &wide, 1, bytes, sizeof bytes, nullptr, nullptr);
        utf8.append(bytes, length > 0 ? length : 0);
    }
    ++at;
    std::wstring wide(utf8.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                           static_cast<int>(wide.size()));
    wide.resize(length > 0 ? length : 0);
    return wide;
}

std::string HexBytes(const std::string& text) {
    std::string bytes;
    for (size_t at = 0; at + 1 < text.size();) {
        if (!std::isxdigit(static_cast<unsigned char>(text[at]))) {
            ++at;
            continue;
        }
        bytes += static_cast<char>(std::stoi(text.substr(at, 2), nullptr, 16));
        at += 2;
    }
    return bytes;
}

// Data as the ANSI functions give it: strings the server keeps in UTF-16
// come back in the ANSI code page.
RegistryValue AnsiValue(DWORD type, const std::string& bytes) {
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        std::wstring wide(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
        return {type, Narrow(wide)};
    }
    return {type, bytes};
}

void ParseValue(const std::string& line, std::map<std::string, RegistryValue>& values,
                std::string& linkTarget) {
    size_t at = 0;
    std::string name;
    if (line[0] == '@') {
        at = 1;
    } else {
        at = 1;
        name = Narrow(Unescape(line, at, '"'));
    }
    if (at >= line.size() || line[at] != '=') return;
    const std::string data = line.substr(at + 1);
    if (data[0] == '"' || data.compare(0, 4, "str(") == 0) {
        DWORD type = REG_SZ;
        size_t quote = 0;
        if (data[0] != '"') {
            type = std::stoul(data.substr(4), nullptr, 16);
            quote = data.find('"');
        }
        size_t from = quote + 1;
        std::wstring text = Unescape(data, from, '"');
        text.push_back(L'\0');
        values[name] = {type, Narrow(text)};
    } else if (data.compare(0, 6, "dword:") == 0) {
        const DWORD number = std::stoul(data.substr(6), nullptr, 16);
        values[name] = {REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4)};
    } else if (data.compare(0, 4, "hex:") == 0) {
        values[name] = {REG_BINARY, HexBytes(data.substr(4))};
    } else if (data.compare(0, 4, "hex(") == 0) {
        const DWORD type = std::stoul(data.substr(4), nullptr, 16);
        const std::string bytes = HexBytes(data.substr(data.find(':') + 1));
        if (type == REG_LINK) {
            linkTarget = Narrow(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2));
        }
        values[name] = AnsiValue(type, bytes);
    }
}

}  // namespace

void SaveRegistry(const std::string& file) {
    static const bool privileged = EnableBackupPrivilege();
    (void)privileged;
    DeleteFileA(file.c_str());
    // Without it every comparison would be against nothing.
    if (RegSaveKeyA(HKEY_LOCAL_MACHINE, file.c_str(), nullptr) != ERROR_SUCCESS) {
        std::fprintf(stderr, "RegSaveKeyA of HKEY_LOCAL_MACHINE to %s failed\n", file.c_str());
        std::abort();
    }
}

void ReadSavedRegistry(const std::string& file, MachineState& state) {
    const std::string saved = ReadFileBytes(file);
    std::map<std::string, std::string> links;  // link key path to the path it stands for
    std::map<std::string, RegistryValue>* values = nullptr;
    std::string keyPath;
    std::string pending;  // a value line continued with a trailing backslash
    size_t lineStart = 0;
    while (lineStart < saved.size()) {
        size_t lineEnd = saved.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = saved.size();
        std::string line = saved.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!pending.empty()) {
            line = pending + line.substr(line.find_first_not_of(' '));
            pending.clear();
        }
        if (!line.empty() && line.back() == '\\' && (line[0] == '"' || line[0] == '@')) {
            pending = line.substr(0, line.size() - 1);
            continue;
        }
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            size_t at = 1;
            keyPath = Narrow(Unescape(line, at, ']'));
            values = &state.keys[keyPath];
            // Keys above a saved key exist too, though only keys with values
            // or without subkeys are written out.
            for (size_t slash = keyPath.rfind('\\'); slash != std::string::npos && slash > 0;
                 slash = keyPath.rfind('\\', slash - 1))
                state.keys[keyPath.substr(0, slash)];
            continue;
        }
        if (values == nullptr || (line[0] != '"' && line[0] != '@')) continue;
        std::string linkTarget;
        ParseValue(line, *values, linkTarget);
        const std::string prefix = "\\Registry\\Machine\\";
        if (!linkTarget.empty() && UpperCase(linkTarget).compare(0, prefix.size(), UpperCase(prefix)) == 0)
            links[keyPath] = linkTarget.substr(prefix.size());
    }
    // The server saves a link (CurrentControlSet) as a link; the programs
    // write through it, so its target's keys are shown under the link's name.
    for (const auto& [link, target] : links) {
        const std::string upperTarget = UpperCase(target);
        std::map<std::string, std::map<std::string, RegistryValue>> renamed;
        for (auto it = state.keys.begin(); it != state.keys.end();) {
            const std::string upper = UpperCase(it->first);
            if (upper == upperTarget || upper.compare(0, upperTarget.size() + 1, upperTarget + "\\") == 0) {
                renamed[link + it->first.substr(target.size())] = std::move(it->second);
                it = state.keys.erase(it);
            } else {
                ++it;
            }
        }
        state.keys.erase(link);
        for (auto& [path, keyValues] : renamed) state.keys[path] = std::move(keyValues);
    }
#ifdef _WIN64
    // A 64-bit machine's 32-bit view, which Wine's own restart fills with
    // Run keys; the 64-bit programs under test never see it.
    for (auto it = state.keys.begin(); it != state.keys.end();) {
        const std::string upper = UpperCase(it->first);
        it = upper.compare(0, 20, "SOFTWARE\\WOW6432NODE") == 0 ? state.keys.erase(it) : std::next(it);
    }
#endif
}

namespace {

void CaptureFolder(const std::string& root, const std::string& relative, bool recurse,
                   MachineState& state) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = relative + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            const bool captured = recurse || std::any_of(std::begin(kCapturedFolders),
                                                         std::end(kCapturedFolders),
                                                         [&](const char* f) { return UpperCase(name) == f; });
            if (!captured) continue;
            FileState& folder = state.files[UpperCase(path) + "\\"];
            folder.folder = true;
            CaptureFolder(root, path + "\\", true, state);
            continue;
        }
        FileState& file = state.files[UpperCase(path)];
        file.content = ReadFileBytes(root + path);
        file.attributes = found.dwFileAttributes;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string Quote(const ValueRef& ref) {
    return ref.first + " [" + ref.second + "]";
}

}  // namespace

std::string UpperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Describe(const RegistryValue& value) {
    char text[16];
    std::string out;
    switch (value.type) {
    case REG_SZ:
        out = "REG_SZ \"" + value.data + "\"";
        if (!value.data.empty() && value.data.back() == '\0') out.erase(out.size() - 2, 1);
        else out += " (no NUL)";
        return out;
    case REG_DWORD:
        if (value.data.size() == 4) {
            std::snprintf(text, sizeof text, "0x%lx",
                          static_cast<unsigned long>(*reinterpret_cast<const DWORD*>(value.data.data())));
            return std::string("REG_DWORD ") + text;
        }
        out = "REG_DWORD of " + std::to_string(value.data.size()) + " bytes:";
        break;
    case REG_BINARY:
        out = "REG_BINARY";
        break;
    default:
        out = "type " + std::to_string(value.type);
        break;
    }
    for (unsigned char c : value.data) {
        std::snprintf(text, sizeof text, " %02x", c);
        out += text;
    }
    return out;
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

std::string MachineWindowsDirectory() {
    char folder[MAX_PATH];
    GetWindowsDirectoryA(folder, sizeof folder);
    return std::string(folder) + "\\";
}

void CaptureFiles(const std::string& windowsDirectory, MachineState& state) {
    CaptureFolder(windowsDirectory, "", false, state);
}

MachineState CaptureRegistry() {
    char folder[MAX_PATH], file[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "hkl", 0, file);
    SaveRegistry(file);
    MachineState state;
    ReadSavedRegistry(file, state);
    DeleteFileA(file);
    return state;
}

MachineState CaptureMachine() {
    MachineState state = CaptureRegistry();
    CaptureFiles(MachineWindowsDirectory(), state);
    return state;
}

bool MachineChanges::empty() const {
    return addedKeys.empty() && removedKeys.empty() && setValues.empty() && removedValues.empty() &&
           addedFiles.empty() && changedFiles.empty() && removedFiles.empty();
}

std::vector<std::string> MachineChanges::Describe() const {
    std::vector<std::string> lines;
    for (const auto& key : addedKeys) lines.push_back("+key   " + key);
    for (const auto& key : removedKeys) lines.push_back("-key   " + key);
    for (const auto& [ref, value] : setValues) lines.push_back("=value " + Quote(ref) + " = " + ::Describe(value));
    for (const auto& ref : removedValues) lines.push_back("-value " + Quote(ref));
    for (const auto& file : addedFiles) lines.push_back("+file  " + file);
    for (const auto& file : changedFiles) lines.push_back("~file  " + file);
    for (const auto& file : removedFiles) lines.push_back("-file  " + file);
    return lines;
}

MachineChanges CompareMachines(const MachineState& before, const MachineState& after) {
    MachineChanges changes;
    std::map<std::string, const std::map<std::string, RegistryValue>*> beforeKeys, afterKeys;
    for (const auto& [path, values] : before.keys) beforeKeys[UpperCase(path)] = &values;
    for (const auto& [path, values] : after.keys) afterKeys[UpperCase(path)] = &values;
    for (const auto& [path, values] : after.keys) {
        auto old = beforeKeys.find(UpperCase(path));
        if (old == beforeKeys.end()) changes.addedKeys.insert(path);
        for (const auto& [name, value] : values) {
            const RegistryValue* previous = nullptr;
            if (old != beforeKeys.end()) {
                for (const auto& [oldName, oldValue] : *old->second)
                    if (UpperCase(oldName) == UpperCase(name)) previous = &oldValue;
            }
            if (previous == nullptr || !(*previous == value)) changes.setValues[{path, name}] = value;
        }
    }
    for (const auto& [path, values] : before.keys) {
        auto now = afterKeys.find(UpperCase(path));
        if (now == afterKeys.end()) {
            changes.removedKeys.insert(path);
            continue;
        }
        for (const auto& [name, value] : values) {
            bool kept = false;
            for (const auto& [newName, newValue] : *now->second) kept = kept || UpperCase(newName) == UpperCase(name);
            if (!kept) changes.removedValues.insert({path, name});
        }
    }
    for (const auto& [path, file] : after.files) {
        auto old = before.files.find(path);
        if (old == before.files.end()) changes.addedFiles.insert(path);
        else if (old->second.content != file.content || old->second.attributes != file.attributes)
            changes.changedFiles.insert(path);
    }
    for (const auto& [path, file] : before.files)
        if (after.files.count(path) == 0) changes.removedFiles.insert(path);
    return changes;
}

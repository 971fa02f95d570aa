#include "machine_restore.h"

#include <windows.h>

#include "registry_sandbox.h"
#include "temp_folder.h"

void RestoreMachine(const MachineState& before) {
    const MachineChanges changes = CompareMachines(before, CaptureMachine());
    for (const auto& path : changes.addedKeys) RemoveKey(path);
    std::map<std::string, std::string> beforePaths;
    for (const auto& entry : before.keys) beforePaths[UpperCase(entry.first)] = entry.first;
    auto beforeValue = [&](const ValueRef& ref) -> const RegistryValue* {
        auto key = beforePaths.find(UpperCase(ref.first));
        if (key == beforePaths.end()) return nullptr;
        for (const auto& [name, value] : before.keys.at(key->second))
            if (UpperCase(name) == UpperCase(ref.second)) return &value;
        return nullptr;
    };
    for (const auto& [ref, value] : changes.setValues) {
        if (changes.addedKeys.count(ref.first)) continue;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ref.first.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            continue;
        if (const RegistryValue* old = beforeValue(ref))
            RegSetValueExA(key, ref.second.c_str(), 0, old->type,
                           reinterpret_cast<const BYTE*>(old->data.data()), static_cast<DWORD>(old->data.size()));
        else
            RegDeleteValueA(key, ref.second.c_str());
        RegCloseKey(key);
    }
    // Removed keys come back parents first, with their values.
    for (const auto& path : changes.removedKeys) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) == ERROR_SUCCESS)
            RegCloseKey(key);
    }
    for (const auto& [path, values] : before.keys) {
        if (changes.removedKeys.count(path) == 0) continue;
        for (const auto& [name, value] : values) PutValue(path, name, value);
    }
    for (const auto& ref : changes.removedValues) {
        if (changes.removedKeys.count(ref.first)) continue;
        if (const RegistryValue* old = beforeValue(ref)) PutValue(ref.first, ref.second, *old);
    }

    const std::string root = MachineWindowsDirectory();
    // Deepest first, so folders are empty when their turn comes.
    for (auto it = changes.addedFiles.rbegin(); it != changes.addedFiles.rend(); ++it) {
        const std::string path = root + *it;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (it->back() == '\\') RemoveDirectoryA(path.c_str());
        else DeleteFileA(path.c_str());
    }
    for (const auto& [path, file] : before.files) {
        if (file.folder) {
            if (changes.removedFiles.count(path)) CreateDirectoryA((root + path).c_str(), nullptr);
            continue;
        }
        if (changes.changedFiles.count(path) == 0 && changes.removedFiles.count(path) == 0) continue;
        SetFileAttributesA((root + path).c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteFileBytes(root + path, file.content);
        SetFileAttributesA((root + path).c_str(), file.attributes);
    }
}

MachineState MadeMachine() {
    const std::string kept = "C:\\varnel-made\\";
    if (!FileExists(kept + "complete")) {
        RemoveTree(kept);
        MakeFolder(kept);
        SaveRegistry(kept + "registry");
        MachineState files;
        CaptureFiles(MachineWindowsDirectory(), files);
        MakeFolder(kept + "windows");
        // A folder comes before the files in it.
        for (const auto& [path, file] : files.files) {
            const std::string copy = kept + "windows\\" + path;
            if (file.folder) {
                MakeFolder(copy);
                continue;
            }
            WriteFileBytes(copy, file.content);
            SetFileAttributesA(copy.c_str(), file.attributes);
        }
        WriteFileBytes(kept + "complete", "");
    }
    MachineState made;
    ReadSavedRegistry(kept + "registry", made);
    CaptureFiles(kept + "windows\\", made);
    return made;
}

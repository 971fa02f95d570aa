#include "registry_access.h"

#include "fixed_text.h"
#include "unique_handle.h"

namespace {

UniqueKey OpenKey(HKEY root, const char* keyPath, REGSAM access) {
    UniqueKey key;
    if (RegOpenKeyExA(root, keyPath, 0, access, key.put()) != ERROR_SUCCESS)
        key.release();  // a failed open leaves nothing to close
    return key;
}

UniqueKey OpenKey(const char* keyPath, REGSAM access) {
    return OpenKey(HKEY_LOCAL_MACHINE, keyPath, access);
}

void WriteRegistryValue(const char* keyPath, const char* valueName, DWORD type, const void* data,
                        DWORD length) {
    UniqueKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        key.release();
        return;
    }
    RegSetValueExA(key.get(), valueName, 0, type, static_cast<const BYTE*>(data), length);
}

bool HoldsTerminator(const char* data, DWORD length) {
    for (DWORD i = 0; i < length; ++i) {
        if (data[i] == '\0') return true;
    }
    return false;
}

// Removes every subkey below `key`, deepest first. Wine's Windows 9x
// RegDeleteKeyA removes a subtree only partly and the NT one refuses a key
// with subkeys, so the subtree is taken apart here and the platform is only
// ever asked to delete leaves.
void DeleteSubtree(HKEY key) {
    DWORD index = 0;
    for (;;) {
        char name[256];
        DWORD nameLength = sizeof name;  // reset on every round: the call shortens it
        FILETIME lastWrite;
        if (RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, &lastWrite) !=
            ERROR_SUCCESS)
            return;
        if (UniqueKey child = OpenKey(key, name, KEY_ALL_ACCESS)) DeleteSubtree(child.get());
        // A subkey that will not go is stepped over, so the loop still ends.
        if (RegDeleteKeyA(key, name) != ERROR_SUCCESS) ++index;
    }
}

}  // namespace

int ReadRegistryValue(const char* keyPath, const char* valueName, void* buffer, DWORD bufferSize) {
    char* text = static_cast<char*>(buffer);
    if (bufferSize == 0) return 0;
    text[0] = '\0';
    UniqueKey key = OpenKey(keyPath, KEY_READ);
    if (!key) return 0;
    DWORD length = bufferSize;
    if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, static_cast<BYTE*>(buffer),
                         &length) != ERROR_SUCCESS) {
        text[0] = '\0';  // the platform may have left part of a value that did not fit
        return 0;
    }
    // Callers use the buffer as text. Data without a NUL of its own (binary
    // data, or a string stored without one) is terminated after its end, and
    // when it fills the buffer exactly there is no room for that: it does not
    // fit as text, like a value longer than the buffer.
    if (length > bufferSize) length = bufferSize;
    if (!HoldsTerminator(text, length)) {
        if (length == bufferSize) {
            text[0] = '\0';
            return 0;
        }
        text[length] = '\0';
    }
    return 1;
}

void WriteRegistryDword(const char* keyPath, const char* valueName, DWORD value) {
    WriteRegistryValue(keyPath, valueName, REG_DWORD, &value, sizeof value);
}

void WriteRegistryBinary(const char* keyPath, const char* valueName, const void* data, DWORD length) {
    WriteRegistryValue(keyPath, valueName, REG_BINARY, data, length);
}

void WriteRegistryString(const char* keyPath, const char* valueName, const char* text) {
    WriteRegistryValue(keyPath, valueName, REG_SZ, text, static_cast<DWORD>(TextLength(text) + 1));
}

int RegistryKeyExists(const char* keyPath) {
    return OpenKey(keyPath, KEY_ALL_ACCESS) ? 1 : 0;
}

int EnumRegistrySubkey(DWORD index, char* name, DWORD nameSize, const char* parentPath) {
    if (nameSize == 0) return 0;
    name[0] = '\0';
    UniqueKey parent = OpenKey(parentPath, KEY_ALL_ACCESS);
    if (!parent) return 0;
    DWORD length = nameSize;
    FILETIME lastWrite;
    if (RegEnumKeyExA(parent.get(), index, name, &length, nullptr, nullptr, nullptr, &lastWrite) !=
        ERROR_SUCCESS) {
        name[0] = '\0';
        return 0;
    }
    return 1;
}

int CountRegistryEntries(const char* keyPath, DWORD& subkeys, DWORD& values) {
    subkeys = values = 0;
    UniqueKey key = OpenKey(keyPath, KEY_READ);
    if (!key) return 0;
    return RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS
               ? 1
               : 0;
}

void DeleteRegistryValue(const char* keyPath, const char* valueName) {
    UniqueKey key = OpenKey(keyPath, KEY_ALL_ACCESS);
    if (key) RegDeleteValueA(key.get(), valueName);
}

void DeleteRegistryKey(const char* parentPath, const char* subkeyPath) {
    // An empty subkey path would make the platform address the parent itself.
    if (subkeyPath == nullptr || subkeyPath[0] == '\0') return;
    UniqueKey parent = OpenKey(parentPath, KEY_ALL_ACCESS);
    if (!parent) return;
    {
        UniqueKey subkey = OpenKey(parent.get(), subkeyPath, KEY_ALL_ACCESS);
        if (!subkey) return;
        DeleteSubtree(subkey.get());
    }
    RegDeleteKeyA(parent.get(), subkeyPath);
}

#include "registry_sandbox.h"

#include <cstdio>
#include <cstdlib>

// Declared here: the WINVER the programs are built for hides them, and only
// the tests, which run under Wine alone, use them.
extern "C" {
WINADVAPI LONG WINAPI RegOverridePredefKey(HKEY key, HKEY newKey);
WINADVAPI LONG WINAPI RegDeleteTreeA(HKEY key, LPCSTR subKey);
}

namespace {

constexpr char kScratchRoot[] = "Software\\VarnelTests";

HKEY Open(const std::string& keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

}  // namespace

RegistryValue SzValue(const std::string& text) {
    return {REG_SZ, text + std::string(1, '\0')};
}

RegistryValue DwordValue(DWORD value) {
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

RegistryValue BinaryValue(const std::string& bytes) {
    return {REG_BINARY, bytes};
}

bool KeyExists(const std::string& keyPath) {
    HKEY key = Open(keyPath);
    if (key == nullptr) return false;
    RegCloseKey(key);
    return true;
}

std::optional<RegistryValue> GetValue(const std::string& keyPath, const std::string& valueName) {
    HKEY key = Open(keyPath);
    if (key == nullptr) return std::nullopt;
    RegistryValue value;
    DWORD size = 0;
    std::optional<RegistryValue> result;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        if (RegQueryValueExA(key, valueName.c_str(), nullptr, &value.type,
                             reinterpret_cast<BYTE*>(value.data.data()), &size) == ERROR_SUCCESS) {
            value.data.resize(size);
            result = value;
        }
    }
    RegCloseKey(key);
    return result;
}

void PutKey(const std::string& keyPath) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << keyPath;
    RegCloseKey(key);
}

void RemoveKey(const std::string& keyPath) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyPath.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str());
}

void PutValue(const std::string& keyPath, const std::string& valueName, const RegistryValue& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << keyPath;
    EXPECT_EQ(RegSetValueExA(key, valueName.c_str(), 0, value.type,
                             reinterpret_cast<const BYTE*>(value.data.data()),
                             static_cast<DWORD>(value.data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

std::vector<std::string> SubkeyNames(const std::string& keyPath) {
    std::vector<std::string> names;
    HKEY key = Open(keyPath);
    if (key == nullptr) return names;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    return names;
}

std::vector<std::string> ValueNames(const std::string& keyPath) {
    std::vector<std::string> names;
    HKEY key = Open(keyPath);
    if (key == nullptr) return names;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD length = sizeof name;
        if (RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    return names;
}

::testing::AssertionResult HasValue(const std::string& keyPath, const std::string& valueName,
                                    const RegistryValue& expected) {
    std::optional<RegistryValue> actual = GetValue(keyPath, valueName);
    if (!actual)
        return ::testing::AssertionFailure() << keyPath << " [" << valueName << "] is missing; expected "
                                             << Describe(expected);
    if (!(*actual == expected))
        return ::testing::AssertionFailure() << keyPath << " [" << valueName << "] is " << Describe(*actual)
                                             << "; expected " << Describe(expected);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult HasString(const std::string& keyPath, const std::string& valueName,
                                     const std::string& text) {
    return HasValue(keyPath, valueName, SzValue(text));
}

RegistryOverride::RegistryOverride() {
    static int counter = 0;
    char name[64];
    std::snprintf(name, sizeof name, "%s\\%lu-%d", kScratchRoot, GetCurrentProcessId(), ++counter);
    scratchPath_ = name;
    // Wine reuses small process ids: a killed test may have left a scratch
    // key of the same name behind, and its keys would be this test's machine.
    RegDeleteTreeA(HKEY_CURRENT_USER, scratchPath_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, scratchPath_.c_str());
    HKEY scratch = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, scratchPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch,
                        nullptr) != ERROR_SUCCESS) {
        ADD_FAILURE() << "no scratch key " << scratchPath_;
        return;
    }
    // Without the redirection a test would write the machine's own registry.
    if (RegOverridePredefKey(HKEY_LOCAL_MACHINE, scratch) != ERROR_SUCCESS) {
        std::fprintf(stderr, "HKEY_LOCAL_MACHINE cannot be redirected\n");
        std::abort();
    }
    RegCloseKey(scratch);
}

RegistryOverride::~RegistryOverride() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, scratchPath_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, scratchPath_.c_str());
}

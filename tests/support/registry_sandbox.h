#pragma once
// A test's own HKEY_LOCAL_MACHINE: a scratch key under HKEY_CURRENT_USER that
// the process sees as HKEY_LOCAL_MACHINE while the test runs, deleted after.
// Also plain readers and writers of the registry that do not go through the
// code under test.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "machine_state.h"

// REG_SZ as stored by a correct writer: the text and its NUL.
RegistryValue SzValue(const std::string& text);
RegistryValue DwordValue(DWORD value);
RegistryValue BinaryValue(const std::string& bytes);

// Readers and writers of HKEY_LOCAL_MACHINE (the sandbox's, during a test).
bool KeyExists(const std::string& keyPath);
std::optional<RegistryValue> GetValue(const std::string& keyPath, const std::string& valueName);
void PutValue(const std::string& keyPath, const std::string& valueName, const RegistryValue& value);
void PutKey(const std::string& keyPath);
// Removes a key with everything below it.
void RemoveKey(const std::string& keyPath);
std::vector<std::string> SubkeyNames(const std::string& keyPath);
std::vector<std::string> ValueNames(const std::string& keyPath);

// For EXPECT_TRUE: the value is there with this type and these bytes.
::testing::AssertionResult HasValue(const std::string& keyPath, const std::string& valueName,
                                    const RegistryValue& expected);
::testing::AssertionResult HasString(const std::string& keyPath, const std::string& valueName,
                                     const std::string& text);

// HKEY_LOCAL_MACHINE redirected to a fresh scratch key for as long as it lives.
class RegistryOverride {
public:
    RegistryOverride();
    ~RegistryOverride();
    RegistryOverride(const RegistryOverride&) = delete;
    RegistryOverride& operator=(const RegistryOverride&) = delete;

private:
    std::string scratchPath_;
};

class RegistrySandbox : public ::testing::Test {
protected:
    void SetUp() override { override_.emplace(); }
    void TearDown() override { override_.reset(); }

private:
    std::optional<RegistryOverride> override_;
};

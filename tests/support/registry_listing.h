#pragma once
// Whole subtrees of the test's HKEY_LOCAL_MACHINE as text lines, one per
// value, "KEY [name] = TYPE data" ([] is the default value), and "KEY" alone
// for a key without values; so trees compare exactly, types and bytes
// included, and a difference reads as the lines missing and left over.
#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "registry_sandbox.h"

inline void AppendListing(const std::string& keyPath, std::vector<std::string>& lines) {
    const std::vector<std::string> names = ValueNames(keyPath);
    if (names.empty() && !keyPath.empty()) lines.push_back(keyPath);
    for (const std::string& name : names) {
        const std::optional<RegistryValue> value = GetValue(keyPath, name);
        lines.push_back(keyPath + " [" + name + "] = " + (value ? Describe(*value) : "(unreadable)"));
    }
    for (const std::string& subkey : SubkeyNames(keyPath))
        AppendListing(keyPath.empty() ? subkey : keyPath + "\\" + subkey, lines);
}

// The value a listing line names, as the registry holds it now ("" when absent).
inline std::string ValueLineNow(const std::string& line) {
    const size_t open = line.find(" ["), close = line.find("] = ", open);
    const std::string key = line.substr(0, open), name = line.substr(open + 2, close - open - 2);
    const std::optional<RegistryValue> value = GetValue(key, name);
    return value ? key + " [" + name + "] = " + Describe(*value) : "";
}

// Every key below `keyPath` ("" for the whole sandbox), as paths relative to it, sorted.
inline std::vector<std::string> KeyTree(const std::string& keyPath) {
    std::vector<std::string> tree;
    for (const std::string& name : SubkeyNames(keyPath)) {
        tree.push_back(name);
        const std::string path = keyPath.empty() ? name : keyPath + "\\" + name;
        for (const std::string& below : KeyTree(path)) tree.push_back(name + "\\" + below);
    }
    std::sort(tree.begin(), tree.end());
    return tree;
}

// "" lists all of HKEY_LOCAL_MACHINE.
inline std::vector<std::string> RegistryListing(const std::vector<std::string>& roots) {
    std::vector<std::string> lines;
    for (const std::string& root : roots) AppendListing(root, lines);
    return lines;
}

// The same lines, in any order.
inline ::testing::AssertionResult SameListing(std::vector<std::string> actual, std::vector<std::string> expected) {
    if (expected.empty()) return ::testing::AssertionFailure() << "the expected listing is empty";
    std::sort(actual.begin(), actual.end());
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> missing, extra;
    std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(), std::back_inserter(missing));
    std::set_difference(actual.begin(), actual.end(), expected.begin(), expected.end(), std::back_inserter(extra));
    if (missing.empty() && extra.empty()) return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    for (const std::string& line : missing) failure << "\n  missing:    " << line;
    for (const std::string& line : extra) failure << "\n  unexpected: " << line;
    return failure;
}

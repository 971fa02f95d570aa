#pragma once
// Whole subtrees of the test's HKEY_LOCAL_MACHINE as text lines, one per
// value, "KEY [name] = TYPE data" ([] is the default value), and "KEY" alone
// for a key without values; so trees compare exactly, types and bytes
// included, and a difference reads as the lines missing and left over. They
// come from the machine capture's one reading of the registry.
#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "machine_state.h"
#include "registry_sandbox.h"

// Whether `key` is `root` or lies below it ("" is the whole registry).
inline bool IsBelow(const std::string& key, const std::string& root) {
    return root.empty() || UpperCase(key) == UpperCase(root) || UpperCase(key).rfind(UpperCase(root) + "\\", 0) == 0;
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
    for (const auto& entry : CaptureRegistry().keys)
        if (IsBelow(entry.first, keyPath) && entry.first.size() > keyPath.size())
            tree.push_back(entry.first.substr(keyPath.empty() ? 0 : keyPath.size() + 1));
    std::sort(tree.begin(), tree.end());
    return tree;
}

// "" lists all of HKEY_LOCAL_MACHINE.
inline std::vector<std::string> RegistryListing(const std::vector<std::string>& roots) {
    std::vector<std::string> lines;
    for (const auto& [key, values] : CaptureRegistry().keys) {
        if (std::none_of(roots.begin(), roots.end(), [&](const std::string& root) { return IsBelow(key, root); }))
            continue;
        if (values.empty()) lines.push_back(key);
        for (const auto& [name, value] : values) lines.push_back(key + " [" + name + "] = " + Describe(value));
    }
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

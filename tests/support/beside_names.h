#pragma once
// A file's names beside it while it is replaced, and the short paths
// WININIT.INI names files by, as the programs form them.
#include <string>

#include <gtest/gtest.h>

#include "file_replacement.h"
#include "restart_renames.h"

inline std::string BesideOf(const std::string& path, Beside which) {
    return BesideName(FixedText<MAX_PATH>(path.c_str()), which).c_str();
}

inline std::string Short(const std::string& path) {
    ShortPath found{};
    EXPECT_TRUE(FindShortPath(path.c_str(), found)) << path;
    return found.text;
}

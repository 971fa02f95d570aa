#pragma once
// A driver file is never written in place. Its new contents go to a file of
// a fixed name in the target's own folder, and the old file steps aside
// under another before the new one takes its name: a copy that fails or is
// cut short leaves the old file whole, under its own name or stepped aside,
// which the next install puts back and the uninstaller removes.
#include "fixed_text.h"
#include "install_contract.h"

inline constexpr int kCutShortCopyNameLength = LongestText(kCutShortCopyFileNames);

// The file `name` in the folder of `path`, or in the current folder when
// `path` is a bare name.
template <int Capacity>
FixedText<Capacity + kCutShortCopyNameLength> InFolderOf(const FixedText<Capacity>& path, const char* name) {
    int folderLength = 0;
    for (int i = 0; i < path.Length(); ++i) {
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') folderLength = i + 1;
    }
    FixedText<Capacity + kCutShortCopyNameLength> file;
    file.Append(path, folderLength).Append(name);
    return file;
}

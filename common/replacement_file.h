#pragma once
// A driver file is never written in place. Its new contents go to a file of
// this fixed name in the target's own folder, which takes the target's place
// only once it is whole: a copy that fails or is cut short leaves the old
// file as it was, and at most this one file beside it, which the next
// install reuses and the uninstaller removes.
#include "fixed_text.h"
#include "install_contract.h"

// The replacement file in the folder of `path`, or in the current folder
// when `path` is a bare name.
template <int Capacity>
FixedText<Capacity + TextLength(kReplacementFileName)> ReplacementFileFor(const FixedText<Capacity>& path) {
    int folderLength = 0;
    for (int i = 0; i < path.Length(); ++i) {
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') folderLength = i + 1;
    }
    FixedText<Capacity + TextLength(kReplacementFileName)> replacement;
    replacement.Append(path, folderLength).Append(kReplacementFileName);
    return replacement;
}

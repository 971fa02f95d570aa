#include "file_replacement.h"

namespace {

bool Exists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

void SettleReplacement(const ReplacementPaths& paths) {
    if (Exists(paths.steppedAside)) {
        // The file in place is always whole: it was renamed there.
        if (Exists(paths.file)) {
            DeleteFileA(paths.steppedAside);
        } else if (!MoveFileA(paths.steppedAside, paths.file)) {
            return;
        }
    }
    if (Exists(paths.newFile)) DeleteFileA(paths.newFile);
}

DWORD PutNewFileInPlace(const ReplacementPaths& paths) {
    if (Exists(paths.file)) {
        DeleteFileA(paths.steppedAside);  // the file in place is whole: an older copy is stale
        if (!MoveFileA(paths.file, paths.steppedAside)) {
            const DWORD error = GetLastError();
            DeleteFileA(paths.newFile);
            return error;
        }
    }
    if (!MoveFileA(paths.newFile, paths.file)) {
        const DWORD error = GetLastError();
        if (MoveFileA(paths.steppedAside, paths.file) || !Exists(paths.steppedAside)) DeleteFileA(paths.newFile);
        return error;
    }
    DeleteFileA(paths.steppedAside);
    return ERROR_SUCCESS;
}

void RemoveBesideNames(const ReplacementPaths& paths) {
    const char* const names[] = {paths.newFile, paths.steppedAside, paths.staged};
    for (const char* path : names) DeleteFileA(path);
}

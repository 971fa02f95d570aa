#include "file_probe.h"

#include <windows.h>

#include "unique_handle.h"

bool FileOpensForReading(const char* path) {
    // Shared for reading and writing, as the C library's open for reading
    // asks: only a holder that shares nothing refuses it.
    const UniqueHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

#include <optional>

#include "file_probe.h"
#include "file_replacement.h"
#include "install_dialog.h"
#include "restart_renames.h"
#include "unique_handle.h"

namespace {

constexpr UINT kReportStyle = MB_OK | MB_ICONEXCLAMATION;
constexpr ULONGLONG kTicksPerSecond = 10000000;  // FILETIME counts 100 ns
// The bits a file can be given; the rest describe what it is.
constexpr DWORD kSettableAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type Empty() { return nullptr; }
    static void Close(Type memory) { LocalFree(memory); }
};
using UniqueLocalMemory = UniqueResource<LocalMemoryTraits>;

constexpr char kOpenFailure[] = "Could not open the INPUT file : ";
constexpr char kWriteFailure[] = "Could not WRITE the OUTPUT file : ";
constexpr char kWriteFailureHint[] = "\nFile maybe in use or read only.";
// The longer of the two reports, each naming a whole path.
using ReportText = FixedText<TextLength(kWriteFailure) + DriverFilePath::kCapacity + TextLength(kWriteFailureHint)>;
static_assert(TextLength(kOpenFailure) + DriverFilePath::kCapacity <= ReportText::kCapacity,
              "the open failure's report is the shorter one");

// What the target takes over from the source: its attribute bits and its
// times, kept to whole seconds.
struct FileStatus {
    DWORD attributes;
    FILETIME creation;
    FILETIME lastAccess;
    FILETIME lastWrite;
};

FILETIME ToWholeSeconds(const FILETIME& time) {
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    ticks.QuadPart -= ticks.QuadPart % kTicksPerSecond;
    return {ticks.LowPart, ticks.HighPart};
}

bool IsSet(const FILETIME& time) {
    return time.dwLowDateTime != 0 || time.dwHighDateTime != 0;
}

std::optional<FileStatus> ReadFileStatus(const char* path) {
    WIN32_FIND_DATAA found;
    UniqueFindHandle search(FindFirstFileA(path, &found));
    if (!search) return std::nullopt;
    FileStatus status;
    status.attributes = found.dwFileAttributes & kSettableAttributes;
    status.lastWrite = ToWholeSeconds(found.ftLastWriteTime);
    // File systems without creation or access times report zero for them.
    status.creation = IsSet(found.ftCreationTime) ? ToWholeSeconds(found.ftCreationTime) : status.lastWrite;
    status.lastAccess =
        IsSet(found.ftLastAccessTime) ? ToWholeSeconds(found.ftLastAccessTime) : status.lastWrite;
    return status;
}

// Each of these answers ERROR_SUCCESS or the code of the first failure.

DWORD CopyContents(HANDLE source, HANDLE target, char* buffer, DWORD bufferSize) {
    DWORD remaining = GetFileSize(source, nullptr);
    if (remaining == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return GetLastError();
    while (remaining > 0) {
        const DWORD chunk = remaining < bufferSize ? remaining : bufferSize;
        DWORD count = 0;
        if (!ReadFile(source, buffer, chunk, &count, nullptr)) return GetLastError();
        // Nobody else can have the source open, so it cannot have shrunk.
        if (count != chunk) return ERROR_HANDLE_EOF;
        if (!WriteFile(target, buffer, chunk, &count, nullptr)) return GetLastError();
        // A write that stores less than asked without failing means the disk is full.
        if (count != chunk) return ERROR_DISK_FULL;
        remaining -= chunk;
    }
    return ERROR_SUCCESS;
}

DWORD SetAttributes(const char* path, DWORD attributes) {
    return SetFileAttributesA(path, attributes) ? ERROR_SUCCESS : GetLastError();
}

DWORD ApplyFileStatus(const char* path, const FileStatus& status) {
    // A file with no bits set reports itself as "normal", and that is how it is set.
    DWORD wanted = status.attributes & ~FILE_ATTRIBUTE_READONLY;
    if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
    const DWORD current = GetFileAttributesA(path);
    if (current == INVALID_FILE_ATTRIBUTES) return GetLastError();
    const bool readOnly = (current & FILE_ATTRIBUTE_READONLY) != 0;
    const bool differs = current != wanted;

    // A read-only target must lose the flag before it can be opened for its times.
    if (readOnly && differs) {
        if (DWORD error = SetAttributes(path, wanted)) return error;
    }
    if (IsSet(status.lastWrite)) {
        UniqueHandle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return GetLastError();
        if (!SetFileTime(file.get(), &status.creation, &status.lastAccess, &status.lastWrite)) {
            return GetLastError();
        }
        if (!CloseHandle(file.release())) return GetLastError();
    }
    if (!readOnly && differs) return SetAttributes(path, wanted);
    return ERROR_SUCCESS;
}

// The whole new file waits under its staged name, and WININIT.INI asks
// Windows' next start to put it in the file's place: once, whatever an
// install before that restart asked.
bool StageForRestart(const char* windowsDirectory, const ReplacementPaths& paths) {
    DeleteFileA(paths.staged);
    if (!MoveFileA(paths.newFile, paths.staged)) {
        DeleteFileA(paths.newFile);
        return false;
    }
    ShortPath file, staged;
    if (FindShortPath(paths.file, file) && FindShortPath(paths.staged, staged) &&
        EditRestartRenames(windowsDirectory, file.text, staged.text, file.text, staged.text))
        return true;
    DeleteFileA(paths.staged);
    return false;
}

}  // namespace

void InstallDialog::ReportSystemError(DWORD error) {
    // The system's own words, with any inserts as they stand: a text with
    // inserts (ERROR_WRONG_DISK's, when a CD is changed) would otherwise
    // fail to format. A code without a text is shown by its number.
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0,
                   nullptr);
    UniqueLocalMemory owner(text);
    if (text != nullptr) {
        ShowMessageBox(text, "", kReportStyle);
        return;
    }
    ShowMessageBox(FixedText<TextLength("Error 4294967295.")>("Error ").AppendDecimal(error).Append("."), "",
                   kReportStyle);
}

bool InstallDialog::CopyDriverFile(const DriverFilePath& sourcePath, const DriverFilePath& targetPath,
                                   DWORD bufferSize) {
    auto reportWriteFailure = [&] {
        ShowMessageBox(ReportText(kWriteFailure, targetPath, kWriteFailureHint), "File Write ERROR !",
                       kReportStyle);
        return false;
    };

    UniqueHandle source(CreateFileA(sourcePath, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!source) {
        ShowMessageBox(ReportText(kOpenFailure, sourcePath), "File Open ERROR !", kReportStyle);
        return false;
    }
    // Whether the old file may be replaced is settled before a byte is
    // written: not when it is read-only (Wine run as root would write it all
    // the same). Held without sharing until it is replaced, so that nobody
    // takes it meanwhile; held by another program already (the running
    // driver, the tray program), it is replaced at the restart.
    const DWORD targetAttributes = GetFileAttributesA(targetPath);
    UniqueHandle target;
    bool held = false;
    if (targetAttributes != INVALID_FILE_ATTRIBUTES) {
        if (targetAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return reportWriteFailure();
        target.reset(CreateFileA(targetPath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (!target) {
            held = IsHeldOpenError(GetLastError());
            if (!held) return reportWriteFailure();
        }
    }
    // A buffer of no bytes would never move the copy on.
    UniqueHeapMemory buffer(bufferSize > 0 ? HeapAlloc(GetProcessHeap(), 0, bufferSize) : nullptr);
    if (!buffer) {
        ShowMessageBox("Could not allocate the copy buffer.", "", kReportStyle);
        return false;
    }
    // Without the source's status the new file keeps the times of its writing rather than made-up ones.
    const std::optional<FileStatus> status = ReadFileStatus(sourcePath);

    // The new file is written whole under its own name beside the target.
    // One left by an install cut short is written again; the attributes it
    // may have been given would refuse that.
    const Replacement replacement(targetPath);
    const char* newPath = replacement.NewFile();
    if (GetFileAttributesA(newPath) != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(newPath, FILE_ATTRIBUTE_NORMAL);
    UniqueHandle written(CreateFileA(newPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!written) return reportWriteFailure();
    // Until it takes the target's place, a failure takes the new file away.
    auto fail = [&](DWORD error) {
        written.reset();
        DeleteFileA(newPath);
        ReportSystemError(error);
        return false;
    };
    if (DWORD error = CopyContents(source.get(), written.get(), static_cast<char*>(buffer.get()), bufferSize))
        return fail(error);
    if (!CloseHandle(written.release())) return fail(GetLastError());
    if (status) {
        if (DWORD error = ApplyFileStatus(newPath, *status)) return fail(error);
    }

    // Nothing is lost and the restart the dialog asks for completes the file.
    if (held) return StageForRestart(windowsDirectory, replacement) || reportWriteFailure();
    // What an install or a removal before the restart asked of it would
    // undo this copy there.
    if (!CancelRestartRename(windowsDirectory, replacement)) {
        DeleteFileA(newPath);
        return reportWriteFailure();
    }
    target.reset();
    if (PutNewFileInPlace(replacement) != ERROR_SUCCESS) return reportWriteFailure();
    // A file system that tunnels names gives a file renamed onto a name just
    // freed the old file's creation time: the times go on again under the
    // file's own name.
    if (status) {
        if (DWORD error = ApplyFileStatus(targetPath, *status)) {
            ReportSystemError(error);
            return false;
        }
    }
    return true;
}

#include "restart_renames.h"

#include "fixed_text.h"
#include "unique_handle.h"
#include "windows_directory.h"

namespace {

constexpr char kRestartRenamesFile[] = "WININIT.INI";
constexpr char kRenameSection[] = "[rename]";
constexpr char kLineBreak[] = "\r\n";
using RestartRenamesPath = FixedText<kWindowsDirectoryLength + TextLength(kRestartRenamesFile)>;

// A stretch of the file's text.
struct Span {
    const char* begin;
    const char* end;
};

Span Trimmed(Span span) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (span.begin < span.end && blank(*span.begin)) ++span.begin;
    while (span.end > span.begin && blank(span.end[-1])) --span.end;
    return span;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// File names are told apart without regard to case. Only single-byte ASCII
// letters are folded: the second byte of a double-byte character (Big5's
// among them) may look like one.
bool SameText(Span span, const char* text) {
    bool trailByte = false;
    for (; span.begin < span.end; ++span.begin, ++text) {
        if (*text == '\0') return false;
        if (trailByte ? *span.begin != *text : Lower(*span.begin) != Lower(*text)) return false;
        trailByte = !trailByte && IsDBCSLeadByte(static_cast<BYTE>(*span.begin));
    }
    return *text == '\0';
}

bool IsHeader(Span line) {
    line = Trimmed(line);
    return line.begin < line.end && *line.begin == '[';
}

bool Names(Span line, const char* path) {
    if (path == nullptr) return false;
    const char* equals = line.begin;
    while (equals < line.end && *equals != '=') ++equals;
    return equals < line.end &&
           (SameText(Trimmed({line.begin, equals}), path) || SameText(Trimmed({equals + 1, line.end}), path));
}

}  // namespace

bool FindShortPath(const char* path, ShortPath& shortPath) {
    const DWORD length = GetShortPathNameA(path, shortPath.text, sizeof shortPath.text);
    return length > 0 && length < sizeof shortPath.text;
}

void SettleRestartRenames(const char* windowsDirectory) {
    SettleReplacement(Replacement(RestartRenamesPath(windowsDirectory, kRestartRenamesFile)));
}

bool EditRestartRenames(const char* windowsDirectory, const char* named, const char* alsoNamed, const char* target,
                        const char* source) {
    const RestartRenamesPath path(windowsDirectory, kRestartRenamesFile);
    const Replacement replacement(path);
    SettleReplacement(replacement);
    UniqueHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    DWORD size = 0;
    if (file) {
        size = GetFileSize(file.get(), nullptr);
        if (size == INVALID_FILE_SIZE) return false;
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    // The old text, then the new one: the old less what goes, a line break
    // it may lack, the section's header and the line added.
    const DWORD added = target != nullptr ? TextLength(target) + 1 + TextLength(source) + TextLength(kLineBreak) : 0;
    const DWORD room = size + TextLength(kLineBreak) + TextLength(kRenameSection) + TextLength(kLineBreak) + added;
    UniqueHeapMemory memory(HeapAlloc(GetProcessHeap(), 0, size + room));
    if (!memory) return false;
    char* const old = static_cast<char*>(memory.get());
    char* const text = old + size;
    DWORD count = 0;
    if (size > 0 && (!ReadFile(file.get(), old, size, &count, nullptr) || count != size)) return false;
    file.reset();

    char* out = text;
    auto put = [&](const char* from, const char* to) {
        while (from < to) *out++ = *from++;
    };
    auto putText = [&](const char* part) { put(part, part + TextLength(part)); };
    auto endLine = [&] {
        if (out > text && out[-1] != '\n') putText(kLineBreak);
    };
    auto addLine = [&] {
        endLine();
        putText(target);
        putText("=");
        putText(source);
        putText(kLineBreak);
    };
    bool changed = false, inRename = false, pending = target != nullptr;
    for (const char* line = old; line < old + size;) {
        const char* end = line;
        while (end < old + size && *end != '\n') ++end;
        const char* next = end < old + size ? end + 1 : end;
        if (IsHeader({line, end})) {
            if (inRename && pending) {
                addLine();
                pending = false;
            }
            inRename = SameText(Trimmed({line, end}), kRenameSection);
        } else if (inRename && (Names({line, end}, named) || Names({line, end}, alsoNamed))) {
            changed = true;
            line = next;
            continue;
        }
        put(line, next);
        line = next;
    }
    if (pending && !inRename) {
        endLine();
        putText(kRenameSection);
        putText(kLineBreak);
    }
    if (pending) addLine();
    if (!changed && target == nullptr) return true;

    UniqueHandle written(CreateFileA(replacement.NewFile(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!written) return false;
    const DWORD length = static_cast<DWORD>(out - text);
    const bool whole = WriteFile(written.get(), text, length, &count, nullptr) && count == length;
    if (!CloseHandle(written.release()) || !whole) {
        DeleteFileA(replacement.NewFile());
        return false;
    }
    return PutNewFileInPlace(replacement) == ERROR_SUCCESS;
}

bool CancelRestartRename(const char* windowsDirectory, const ReplacementPaths& paths) {
    ShortPath file, staged;
    const bool fileNamed = FindShortPath(paths.file, file), stagedNamed = FindShortPath(paths.staged, staged);
    // Gone, the staged file cannot come back, whatever line still names it.
    if (stagedNamed) DeleteFileA(paths.staged);
    if (!fileNamed && !stagedNamed) return true;
    return EditRestartRenames(windowsDirectory, fileNamed ? file.text : nullptr, stagedNamed ? staged.text : nullptr);
}

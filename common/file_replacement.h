#pragma once
// How both programs replace a file of the product, now or when Windows next
// starts. Each file has three names of its own in its folder: "~", the first
// seven letters of its name in capitals, and
//   .NEW  the new file, written whole and stamped before anything else;
//   .OLD  the old file, stepped aside while the new one takes its name;
//   .RST  the new file staged for the restart, while another program holds
//         the old one open (the running display driver, the tray program).
//
// Now: write the new file whole; step the old one aside; rename the new one
// into place; delete the old one (Windows 9x cannot rename over a file and
// its MoveFileExA is a stub). Whatever fails or is cut short, one of the two
// is whole under a name of its own, so the next run knows whose every file
// is: a stepped-aside file whose file is missing goes back, and any other
// .NEW or .OLD goes. A refused put-back keeps both for the next run.
//
// At the restart: the new file, written whole as .NEW, is renamed .RST, and
// "FILE=STAGED" goes into the [rename] section of WININIT.INI
// (restart_renames.h), which Windows carries out at its next start before
// any driver loads; "NUL=FILE" deletes a file there. A file copied again
// before that restart takes back what it had asked for.
#include <windows.h>

#include "fixed_text.h"

enum class Beside { kNew, kSteppedAside, kStaged };

inline constexpr char kBesideExtensions[][5] = {".NEW", ".OLD", ".RST"};
inline constexpr int kBesideStemLength = 7;
inline constexpr int kBesideNameLength = 1 + kBesideStemLength + 4;

// The length of the folder part of `path`, its last separator included.
constexpr int FolderLength(const char* path) {
    int length = 0;
    for (int i = 0; path[i] != '\0'; ++i) {
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') length = i + 1;
    }
    return length;
}

// Letter `i` of the stem the names beside `path` share, in capitals, or
// '\0' past its end: the file's name up to its extension, at most seven letters.
constexpr char BesideStemLetter(const char* path, int i) {
    const char* name = path + FolderLength(path);
    for (int k = 0; k <= i; ++k) {
        if (k == kBesideStemLength || name[k] == '\0' || name[k] == '.') return '\0';
    }
    return name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
}

// Whether two files would share the names beside them: the same folder and stem.
constexpr bool ShareBesideNames(const char* a, const char* b) {
    if (FolderLength(a) != FolderLength(b)) return false;
    for (int i = 0; i < FolderLength(a); ++i) {
        if (a[i] != b[i]) return false;
    }
    for (int i = 0; i < kBesideStemLength; ++i) {
        if (BesideStemLetter(a, i) != BesideStemLetter(b, i)) return false;
    }
    return true;
}

// `file`'s name beside it for `which`, in its folder.
template <int Capacity>
FixedText<Capacity + kBesideNameLength> BesideName(const FixedText<Capacity>& file, Beside which) {
    char name[kBesideNameLength + 1] = {'~'};
    int length = 1;
    for (char letter; (letter = BesideStemLetter(file, length - 1)) != '\0';) name[length++] = letter;
    FixedText<Capacity + kBesideNameLength> path;
    path.Append(file, FolderLength(file)).Append(name).Append(kBesideExtensions[static_cast<int>(which)]);
    return path;
}

// A file and its names beside it.
struct ReplacementPaths {
    const char* file;
    const char* newFile;
    const char* steppedAside;
    const char* staged;
};

// Holds the names beside `file` for as long as it lives.
template <int Capacity>
class Replacement {
public:
    explicit Replacement(const FixedText<Capacity>& file)
        : file_(file),
          new_(BesideName(file, Beside::kNew)),
          steppedAside_(BesideName(file, Beside::kSteppedAside)),
          staged_(BesideName(file, Beside::kStaged)) {}
    operator ReplacementPaths() const { return {file_, new_, steppedAside_, staged_}; }
    const char* NewFile() const { return new_; }

private:
    const char* file_;
    FixedText<Capacity + kBesideNameLength> new_, steppedAside_, staged_;
};

// Settles what a replacement cut short left beside the file: a stepped-aside
// file whose file is missing goes back (both stay when that is refused), and
// any other new or stepped-aside file goes. A staged file stays for the restart.
void SettleReplacement(const ReplacementPaths& paths);

// Puts the new file, written whole, in the file's place. ERROR_SUCCESS, or
// the code of the refusal: then the old file is back under its name, or,
// when even that is refused, both stay whole beside it.
DWORD PutNewFileInPlace(const ReplacementPaths& paths);

// Removes every name beside the file.
void RemoveBesideNames(const ReplacementPaths& paths);

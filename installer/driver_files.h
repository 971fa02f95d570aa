#pragma once
// The driver files that the installer copies from the medium, and where they
// go under the Windows directory.
#include <windows.h>

#include "file_replacement.h"
#include "fixed_text.h"
#include "install_contract.h"
#include "windows_directory.h"

struct DriverFile {
    const char* source;  // bare name on the medium
    const char* target;  // relative to the Windows directory
};

// In copy order; the progress bar advances one step per row.
inline constexpr DriverFile DriverFileTable[] = {
    {"Varnel.inf",   kOemInfFile},
    {"Varnel.inf",   kInfFile},
    {"nvarch16.dll", kNvarch16File},
    {"nvarch32.dll", kNvarch32File},
    {"nvcore.vxd",   kNvcoreFile},
    {"nvcpl.dll",    kNvcplFile},
    {"nvcpl.hlp",    kNvcplHelpFile},
    {"nvdd32.dll",   kNvdd32File},
    {"nvdisp.drv",   kNvdispFile},
    {"nvmini.vxd",   kNvminiFile},
    {"nvmini2.vxd",  kNvmini2File},
    {"nvopengl.dll", kNvopenglFile},
    {"nvqtwk.dll",   kNvqtwkFile},
    {"nvmode.dll",   kNvmodeFile},
    {"UnVarnel.exe", kUninstallerFile},
    {"TrayIcon.exe", kTrayIconFile},
    {"vgartd.vxd",   kVgartdFile},
    {"nvdesk32.dll", kNvdesk32File},
    {"nvdmcpl.dll",  kNvdmcplFile},
    {"nvfsvm.exe",   kNvfsvmFile},
};

// A file's names beside it while it is replaced are its own alone.
constexpr bool EachHasBesideNamesOfItsOwn() {
    for (const DriverFile& a : DriverFileTable) {
        for (const DriverFile& b : DriverFileTable) {
            if (&a != &b && ShareBesideNames(a.target, b.target)) return false;
        }
    }
    return true;
}
static_assert(EachHasBesideNamesOfItsOwn(), "two files of one folder would share the names beside them");

inline constexpr DWORD kDriverFileCopyBufferSize = 1024;

// Where the medium keeps the files when the folder it is started from has
// no setup information file of its own.
inline constexpr char kDriverFolder[] = "Driver\\Win9X\\";
inline constexpr auto kMediumDriverFolder = Joined(".\\", kDriverFolder);

// The program's own folder, its last backslash included, is used only when
// it is at most this long; a longer one is refused whole, never cut.
inline constexpr int kProgramFolderLength = MAX_PATH;
using MediumFolder = FixedText<kProgramFolderLength + TextLength(kDriverFolder)>;

// The folder the sources are read from, ending in a backslash, or empty for
// the current folder: the current folder beside its "Varnel.inf", else its
// Driver\Win9X beside one; failing both, the same two beside the program
// file `programPath` (started from the CD with another working folder);
// failing all four, the current folder's Driver\Win9X.
MediumFolder FindMediumFolder(const char* programPath);

// A source or a target of the copy: a source name in the medium's folder,
// or a target under the Windows directory.
using DriverFilePath =
    FixedText<Longer(MediumFolder::kCapacity + LongestText(DriverFileTable, &DriverFile::source),
                     kWindowsDirectoryLength + LongestText(DriverFileTable, &DriverFile::target))>;

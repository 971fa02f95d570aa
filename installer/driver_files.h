#pragma once
// The driver files that the installer copies from the medium, and where they
// go under the Windows directory.
#include <windows.h>

#include "fixed_text.h"
#include "windows_directory.h"

struct DriverFile {
    const char* source;  // bare name on the medium
    const char* target;  // relative to the Windows directory
};

// In copy order; the progress bar advances one step per row.
inline constexpr DriverFile DriverFileTable[] = {
    {"Varnel.inf",   "INF\\OTHER\\ORVAVarnel.inf"},
    {"Varnel.inf",   "INF\\Varnel.inf"},
    {"nvarch16.dll", "System\\nvarch16.dll"},
    {"nvarch32.dll", "System\\nvarch32.dll"},
    {"nvcore.vxd",   "System\\nvcore.vxd"},
    {"nvcpl.dll",    "System\\nvcpl.dll"},
    {"nvcpl.hlp",    "Help\\nvcpl.hlp"},
    {"nvdd32.dll",   "System\\nvdd32.dll"},
    {"nvdisp.drv",   "System\\nvdisp.drv"},
    {"nvmini.vxd",   "System\\nvmini.vxd"},
    {"nvmini2.vxd",  "System\\nvmini2.vxd"},
    {"nvopengl.dll", "System\\nvopengl.dll"},
    {"nvqtwk.dll",   "System\\nvqtwk.dll"},
    {"nvmode.dll",   "System\\nvmode.dll"},
    {"UnVarnel.exe", "System\\UnVarnel.exe"},
    {"TrayIcon.exe", "System\\TrayIcon.exe"},
    {"vgartd.vxd",   "System\\vgartd.vxd"},
    {"nvdesk32.dll", "System\\nvdesk32.dll"},
    {"nvdmcpl.dll",  "System\\nvdmcpl.dll"},
    {"nvfsvm.exe",   "System\\nvfsvm.exe"},
};

inline constexpr DWORD kDriverFileCopyBufferSize = 1024;

// Where the medium keeps the files when the current directory has no setup
// information file of its own.
inline constexpr char kMediumDriverFolder[] = ".\\Driver\\Win9X\\";

// A source or a target of the copy: a source name alone or in the medium's
// folder, or a target under the Windows directory.
using DriverFilePath =
    FixedText<Longer(TextLength(kMediumDriverFolder) + LongestText(DriverFileTable, &DriverFile::source),
                     kWindowsDirectoryLength + LongestText(DriverFileTable, &DriverFile::target))>;

#pragma once
// What the installer leaves on a machine and the uninstaller finds there
// again: the files, keys and values both programs must spell alike. Each
// program's tables name these in its own order; what only one of them
// writes or deletes stays in its own table.
#include <stddef.h>

// Texts joined at compile time, for keys named both as a whole path (the
// installer's writes) and as a parent and a subkey (the uninstaller's
// deletes).
template <size_t N>
struct JoinedText {
    char text[N];
    constexpr operator const char*() const { return text; }
};

template <size_t A, size_t B>
constexpr JoinedText<A + B - 1> Joined(const char (&first)[A], const char (&second)[B]) {
    JoinedText<A + B - 1> joined{};
    for (size_t i = 0; i + 1 < A; ++i) joined.text[i] = first[i];
    for (size_t i = 0; i < B; ++i) joined.text[A - 1 + i] = second[i];
    return joined;
}

template <size_t A, size_t B>
constexpr JoinedText<A + B> SubkeyPath(const char (&parent)[A], const char (&subkey)[B]) {
    return Joined(Joined(parent, "\\").text, subkey);
}

// The installed files, relative to the Windows directory. The uninstaller
// removes all but three of them.
inline constexpr char kOemInfFile[] = "INF\\OTHER\\ORVAVarnel.inf";
inline constexpr char kInfFile[] = "INF\\Varnel.inf";
inline constexpr char kNvarch16File[] = "System\\nvarch16.dll";
inline constexpr char kNvarch32File[] = "System\\nvarch32.dll";
inline constexpr char kNvcoreFile[] = "System\\nvcore.vxd";
inline constexpr char kNvcplFile[] = "System\\nvcpl.dll";
inline constexpr char kNvcplHelpFile[] = "Help\\nvcpl.hlp";
inline constexpr char kNvdd32File[] = "System\\nvdd32.dll";
inline constexpr char kNvdispFile[] = "System\\nvdisp.drv";
inline constexpr char kNvminiFile[] = "System\\nvmini.vxd";
inline constexpr char kNvmini2File[] = "System\\nvmini2.vxd";
inline constexpr char kNvopenglFile[] = "System\\nvopengl.dll";
inline constexpr char kNvqtwkFile[] = "System\\nvqtwk.dll";
inline constexpr char kNvmodeFile[] = "System\\nvmode.dll";
inline constexpr char kUninstallerFile[] = "System\\UnVarnel.exe";
inline constexpr char kTrayIconFile[] = "System\\TrayIcon.exe";
inline constexpr char kVgartdFile[] = "System\\vgartd.vxd";
inline constexpr char kNvdesk32File[] = "System\\nvdesk32.dll";
inline constexpr char kNvdmcplFile[] = "System\\nvdmcpl.dll";
inline constexpr char kNvfsvmFile[] = "System\\nvfsvm.exe";

// Each board: its hardware id's key under Enum\PCI, the device instance the
// installer fills for every board, and in that instance the "Driver" value
// naming the board's display-class key under Class (as "DISPLAY\NNNN").
inline constexpr char kPciEnumKey[] = "Enum\\PCI";
inline constexpr char kFixedInstance[] = "000800";
inline constexpr char kDriverValue[] = "Driver";
inline constexpr char kClassKey[] = "System\\CurrentControlSet\\Services\\Class";

// The display control-panel extension: its class, and its name, which is
// also its handler's under the display's property sheets and under every
// board's class key.
inline constexpr char kClsidKey[] = "Software\\CLASSES\\CLSID";
inline constexpr char kCplExtensionClsid[] = "{67E0E3C0-3068-11D3-8BD1-00104B6F7516}";
inline constexpr auto kCplExtensionClassKey = SubkeyPath(kClsidKey, kCplExtensionClsid);
inline constexpr char kCplExtensionName[] = "ORVA Varnel CPL Extension";
inline constexpr char kDisplayPropertySheetsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\Shellex\\PropertySheetHandlers";

// The machine-wide entries, each a key and the subkey or value in it.
inline constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr char kUninstallEntry[] = "ORVA Varnel";
inline constexpr char kOpenGlDriversKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\OpenGLdrivers";
inline constexpr char kOpenGlDriver[] = "RIVATNT";
inline constexpr char kVxdKey[] = "System\\CurrentControlSet\\Services\\VxD";
inline constexpr char kAgpVxd[] = "VGARTD";
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kTrayIconRun[] = "DisplayTrayIcon";
inline constexpr char kNvidiaSystemKey[] = "Software\\NVIDIA Corporation\\Global\\System";
inline constexpr char kAgp4xSetting[] = "EnableVia4X";
inline constexpr char kDisplaySettingsKey[] = "Config\\0001\\Display\\Settings";
inline constexpr char kBitsPerPixelSetting[] = "BitsPerPixel";
inline constexpr char kResolutionSetting[] = "Resolution";
// Windows setup's record of the OEM setup information file: a value named
// by the file's path under the Windows directory (its extension in capitals).
inline constexpr char kOemNameKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\SetupX\\INF\\OEM Name";
inline constexpr char kOemInfRecord[] = "INF\\OTHER\\ORVAVarnel.INF";

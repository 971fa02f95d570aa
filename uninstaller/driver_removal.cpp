// The removal behind the uninstall dialog's OK: the driver files first, then
// the registry entries of every detected board and of the machine.
#include "driver_value.h"
#include "file_probe.h"
#include "fixed_text.h"
#include "registry_access.h"
#include "replacement_file.h"
#include "uninstall_dialog.h"

namespace {

// Relative to the Windows directory, deleted in this order. The last one is
// this program's installed copy, which stays while it runs from there.
constexpr const char* UninstallFileTable[] = {
    "INF\\OTHER\\ORVAVarnel.inf",
    "INF\\Varnel.inf",
    "System\\nvarch16.dll",
    "System\\nvarch32.dll",
    "System\\nvcore.vxd",
    "System\\nvcpl.dll",
    "Help\\nvcpl.hlp",
    "System\\nvdd32.dll",
    "System\\nvdisp.drv",
    "System\\nvmini.vxd",
    "System\\nvmini2.vxd",
    "System\\nvopengl.dll",
    "System\\nvqtwk.dll",
    "System\\nvmode.dll",
    "System\\TrayIcon.exe",
    "System\\vgartd.vxd",
    "System\\UnVarnel.exe",
};

enum class Step { DeleteKey, DeleteValue, WriteString };

// Whether the name is a path under the Windows directory: the OEM setup-file
// bookkeeping names its value after the installed INF file's full path.
enum class Name { AsIs, InWindowsDirectory };

struct SystemEntryStep {
    Step step;
    const char* parentKey;
    Name nameKind;
    const char* name;  // the subkey or value name
    const char* text;  // what a WriteString step writes
};

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kOrvaKey[] = "Software\\ORVA";
constexpr char kVxdKey[] = "System\\CurrentControlSet\\Services\\VxD";
constexpr char kOpenGlKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\OpenGLdrivers";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kOemNameKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\SetupX\\INF\\OEM Name";
constexpr char kPropertySheetKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\Shellex\\PropertySheetHandlers";
constexpr char kNvidiaKey[] = "Software\\NVIDIA Corporation\\Global\\System";
constexpr char kDisplaySettingsKey[] = "Config\\0001\\Display\\Settings";
constexpr char kClsidKey[] = "Software\\CLASSES\\CLSID";

// In this order; a missing key or value makes its step do nothing.
constexpr SystemEntryStep SystemEntrySteps[] = {
    {Step::DeleteKey,   kUninstallKey,       Name::AsIs,               "ORVA Varnel",                            nullptr},
    {Step::DeleteKey,   kOrvaKey,            Name::AsIs,               "Varnel",                                 nullptr},
    {Step::DeleteKey,   kVxdKey,             Name::AsIs,               "NVCORE",                                 nullptr},
    {Step::DeleteValue, kOpenGlKey,          Name::AsIs,               "RIVATNT",                                nullptr},
    {Step::DeleteValue, kRunKey,             Name::AsIs,               "NVQuickTweak",                           nullptr},
    {Step::DeleteValue, kRunKey,             Name::AsIs,               "NvColorInit",                            nullptr},
    {Step::DeleteValue, kOemNameKey,         Name::InWindowsDirectory, "INF\\OTHER\\ORVAVarnel.INF",               nullptr},
    {Step::DeleteKey,   kPropertySheetKey,   Name::AsIs,               "ORVA Varnel CPL Extension",              nullptr},
    {Step::DeleteKey,   kVxdKey,             Name::AsIs,               "VGARTD",                                 nullptr},
    {Step::DeleteValue, kRunKey,             Name::AsIs,               "DisplayTrayIcon",                        nullptr},
    {Step::DeleteValue, kRunKey,             Name::AsIs,               "GraphicMax",                             nullptr},
    {Step::DeleteValue, kNvidiaKey,          Name::AsIs,               "EnableVia4X",                            nullptr},
    {Step::WriteString, kDisplaySettingsKey, Name::AsIs,               "BitsPerPixel",                           "4"},
    {Step::WriteString, kDisplaySettingsKey, Name::AsIs,               "Resolution",                             "640,480"},
    {Step::DeleteKey,   kClsidKey,           Name::AsIs,               "{67E0E3C0-3068-11D3-8BD1-00104B6F7516}", nullptr},
};

constexpr char kClassKey[] = "System\\CurrentControlSet\\Services\\Class";
constexpr char kPciKey[] = "Enum\\PCI";
// The device instance the installer fills for each board.
constexpr char kInstanceKey[] = "000800";
// The "Driver" value is read with this size, as the installer's readers do.
constexpr DWORD kDriverValueSize = 128;

using InstalledFilePath = FixedText<kWindowsDirectoryLength + LongestText(UninstallFileTable)>;
// A board's hardware id and its fixed instance, and the same under Enum\PCI.
using InstanceKeyName = FixedText<(kAdapterKeyNameSize - 1) + 1 + TextLength(kInstanceKey)>;
using InstanceKeyPath = FixedText<TextLength(kPciKey) + 1 + InstanceKeyName::kCapacity>;
using SystemEntryName =
    FixedText<kWindowsDirectoryLength + LongestText(SystemEntrySteps, &SystemEntryStep::name)>;

}  // namespace

void UninstallDialog::DeleteDriverFiles() {
    auto deleteIfPresent = [](const char* path) {
        if (FileOpensForReading(path)) DeleteFileA(path);  // a refusal (read-only, in use) leaves it, silently
    };
    for (const char* relativePath : UninstallFileTable) deleteIfPresent(InstalledFilePath(windowsDirectory, relativePath));
    // An install cut short in the middle of a copy leaves its replacement
    // file beside the file it was to replace, in a folder of this table.
    for (const char* relativePath : UninstallFileTable)
        deleteIfPresent(ReplacementFileFor(InstalledFilePath(windowsDirectory, relativePath)));
}

void UninstallDialog::DeleteRegistryEntries() {
    for (int i = 0; i < adapters_.count; ++i) {
        const InstanceKeyName instance(adapters_.slots[i], "\\", kInstanceKey);
        char driver[kDriverValueSize];
        ReadRegistryValue(InstanceKeyPath(kPciKey, "\\", instance), "Driver", driver, sizeof driver);
        int index = 0;
        if (ClassIndexOfDriverValue(driver, index)) DeleteRegistryKey(kClassKey, driver);
        DeleteRegistryKey(kPciKey, instance);
    }
    for (const SystemEntryStep& entry : SystemEntrySteps) {
        const SystemEntryName name(entry.nameKind == Name::InWindowsDirectory ? windowsDirectory : "", entry.name);
        switch (entry.step) {
        case Step::DeleteKey:
            DeleteRegistryKey(entry.parentKey, name);
            break;
        case Step::DeleteValue:
            DeleteRegistryValue(entry.parentKey, name);
            break;
        case Step::WriteString:
            WriteRegistryString(entry.parentKey, name, entry.text);
            break;
        }
    }
}

// The removal behind the uninstall dialog's OK: the driver files first, then
// the registry entries of every detected board and of the machine.
#include "driver_value.h"
#include "file_probe.h"
#include "file_replacement.h"
#include "fixed_text.h"
#include "install_contract.h"
#include "registry_access.h"
#include "restart_renames.h"
#include "uninstall_dialog.h"

namespace {

// Relative to the Windows directory, deleted in this order. The last one is
// this program's installed copy, which goes at the restart when it runs
// from there.
constexpr const char* UninstallFileTable[] = {
    kOemInfFile,
    kInfFile,
    kNvarch16File,
    kNvarch32File,
    kNvcoreFile,
    kNvcplFile,
    kNvcplHelpFile,
    kNvdd32File,
    kNvdispFile,
    kNvminiFile,
    kNvmini2File,
    kNvopenglFile,
    kNvqtwkFile,
    kNvmodeFile,
    kTrayIconFile,
    kVgartdFile,
    kUninstallerFile,
};

// The installed files left in place.
constexpr const char* KeptFileTable[] = {
    kNvdesk32File,
    kNvdmcplFile,
    kNvfsvmFile,
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

// Removed although the installer does not write them: what older drivers
// of these boards left.
constexpr char kOrvaKey[] = "Software\\ORVA";

// In this order; a missing key or value makes its step do nothing.
constexpr SystemEntryStep SystemEntrySteps[] = {
    {Step::DeleteKey,   kUninstallKey,             Name::AsIs,               kUninstallEntry,      nullptr},
    {Step::DeleteKey,   kOrvaKey,                  Name::AsIs,               "Varnel",             nullptr},
    {Step::DeleteKey,   kVxdKey,                   Name::AsIs,               "NVCORE",             nullptr},
    {Step::DeleteValue, kOpenGlDriversKey,         Name::AsIs,               kOpenGlDriver,        nullptr},
    {Step::DeleteValue, kRunKey,                   Name::AsIs,               "NVQuickTweak",       nullptr},
    {Step::DeleteValue, kRunKey,                   Name::AsIs,               "NvColorInit",        nullptr},
    {Step::DeleteValue, kOemNameKey,               Name::InWindowsDirectory, kOemInfRecord,        nullptr},
    {Step::DeleteKey,   kDisplayPropertySheetsKey, Name::AsIs,               kCplExtensionName,    nullptr},
    {Step::DeleteKey,   kVxdKey,                   Name::AsIs,               kAgpVxd,              nullptr},
    {Step::DeleteValue, kRunKey,                   Name::AsIs,               kTrayIconRun,         nullptr},
    {Step::DeleteValue, kRunKey,                   Name::AsIs,               "GraphicMax",         nullptr},
    {Step::DeleteValue, kNvidiaSystemKey,          Name::AsIs,               kAgp4xSetting,        nullptr},
    {Step::WriteString, kDisplaySettingsKey,       Name::AsIs,               kBitsPerPixelSetting, "4"},
    {Step::WriteString, kDisplaySettingsKey,       Name::AsIs,               kResolutionSetting,   "640,480"},
    {Step::DeleteKey,   kClsidKey,                 Name::AsIs,               kCplExtensionClsid,   nullptr},
};

// The "Driver" value is read with this size, as the installer's readers do.
constexpr DWORD kDriverValueSize = 128;

using InstalledFilePath =
    FixedText<kWindowsDirectoryLength + Longer(LongestText(UninstallFileTable), LongestText(KeptFileTable))>;
// A board's hardware id and its fixed instance, and the same under Enum\PCI.
using InstanceKeyName = FixedText<(kAdapterKeyNameSize - 1) + 1 + TextLength(kFixedInstance)>;
using InstanceKeyPath = FixedText<TextLength(kPciEnumKey) + 1 + InstanceKeyName::kCapacity>;
using SystemEntryName =
    FixedText<kWindowsDirectoryLength + LongestText(SystemEntrySteps, &SystemEntryStep::name)>;

}  // namespace

void UninstallDialog::DeleteDriverFiles() {
    // No driver file may come back at the restart: whatever an install left
    // staged for one goes, with its lines in WININIT.INI.
    SettleRestartRenames(windowsDirectory);
    for (const char* relativePath : UninstallFileTable) {
        const InstalledFilePath path(windowsDirectory, relativePath);
        const Replacement replacement(path);
        CancelRestartRename(windowsDirectory, replacement);
        ShortPath held;
        // Windows 9x deletes a file another program has open, and that
        // program may lose data: it goes at the restart instead.
        if (FileHeldOpen(path) && FindShortPath(path, held)) {
            EditRestartRenames(windowsDirectory, held.text, nullptr, "NUL", held.text);
        } else if (FileOpensForReading(path)) {
            DeleteFileA(path);  // a refusal (read-only) leaves it, silently
        }
        // And what an install cut short in the middle of its copy left.
        RemoveBesideNames(replacement);
    }
    for (const char* relativePath : KeptFileTable) {
        const InstalledFilePath path(windowsDirectory, relativePath);
        const Replacement replacement(path);
        CancelRestartRename(windowsDirectory, replacement);
        SettleReplacement(replacement);  // one cut short between its renames goes back
    }
}

void UninstallDialog::DeleteRegistryEntries() {
    for (int i = 0; i < adapters_.count; ++i) {
        const InstanceKeyName instance(adapters_.slots[i], "\\", kFixedInstance);
        char driver[kDriverValueSize];
        ReadRegistryValue(InstanceKeyPath(kPciEnumKey, "\\", instance), kDriverValue, driver, sizeof driver);
        int index = 0;
        if (ClassIndexOfDriverValue(driver, index)) DeleteRegistryKey(kClassKey, driver);
        DeleteRegistryKey(kPciEnumKey, instance);
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

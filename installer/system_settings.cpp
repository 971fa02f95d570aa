// The machine-wide entries of the driver, written once per run after the
// first registered board.
#include "install_contract.h"
#include "install_dialog.h"
#include "registry_access.h"

namespace {

// What one row sets: a REG_SZ or REG_DWORD value under HKEY_LOCAL_MACHINE, or
// a key in a section of the Windows directory's system.ini.
enum class Setting { Text, Number, SystemIni };

// A name or text that starts with "%s" is a path under the Windows
// directory, which takes the place of the "%s". For a SystemIni row `place`
// is the section.
struct SystemSetting {
    Setting setting;
    const char* place;
    const char* name;
    const char* text;
    DWORD number;
};

// The keys and paths the rows name, joined from the shared names.
constexpr auto kOemInfRecordName = Joined("%s", kOemInfRecord);
constexpr auto kCplServerKey = SubkeyPath(kCplExtensionClassKey.text, "InProcServer32");
constexpr auto kCplServer = Joined("%s", kNvcplFile);
constexpr auto kDisplayCplHandlerKey = SubkeyPath(kDisplayPropertySheetsKey, kCplExtensionName);
constexpr auto kTrayIcon = Joined("%s", kTrayIconFile);
constexpr auto kUninstallEntryKey = SubkeyPath(kUninstallKey, kUninstallEntry);

// In the order Windows setup expects them. "OtherDevicePath" must name the
// folder the OEM INF was copied to, which moves with the Windows directory.
// "CLASSES", and "Shellex" here against the class key's "shellex", are the
// letter case Windows gives these keys.
constexpr SystemSetting kSystemSettings[] = {
    {Setting::Text,      "Software\\Microsoft\\Windows\\CurrentVersion", "OtherDevicePath",      "%sINF\\OTHER",                                0},
    {Setting::Text,      kOemNameKey,                                    kOemInfRecordName,      "ORVAVarnel.INF",                              0},
    // Keeps the memory manager off the video BIOS area.
    {Setting::SystemIni, "386Enh",                                       "EMMExclude",           "C000-CFFF,C000-CFFF",                         0},
    {Setting::Text,      kDisplaySettingsKey,                            kBitsPerPixelSetting,   "16",                                          0},
    {Setting::Text,      kDisplaySettingsKey,                            kResolutionSetting,     "640,480",                                     0},
    {Setting::Text,      kCplExtensionClassKey,                          "",                     kCplExtensionName,                             0},
    {Setting::Text,      kCplServerKey,                                  "",                     kCplServer,                                    0},
    {Setting::Text,      kCplServerKey,                                  "ThreadingModel",       "Apartment",                                   0},
    {Setting::Text,      kDisplayCplHandlerKey,                          "",                     kCplExtensionClsid,                            0},
    {Setting::Text,      kRunKey,                                        kTrayIconRun,           kTrayIcon,                                     0},
    {Setting::Number,    kNvidiaSystemKey,                               kAgp4xSetting,          nullptr,                                       0},
    {Setting::Text,      kUninstallEntryKey,                             "DisplayName",          "ORVA Varnel Windows 9X / ME Display Drivers", 0},
    // The copy the deployment put at System\UnVarnel.exe, in the letter case
    // the uninstall entry has always had.
    {Setting::Text,      kUninstallEntryKey,                             "UninstallString",      "%sSYSTEM\\UnVarnel.exe",                      0},
};

constexpr char kSystemIni[] = "%ssystem.ini";
constexpr int kInWindowsDirectoryLength =
    kWindowsDirectoryLength +
    Longer(TextLength(kSystemIni), Longer(LongestText(kSystemSettings, &SystemSetting::name),
                                          LongestText(kSystemSettings, &SystemSetting::text)));
using SettingText = FixedText<kInWindowsDirectoryLength>;

SettingText InWindowsDirectory(const char* text, const char* windowsDirectory) {
    if (StartsWith(text, "%s")) return SettingText(windowsDirectory, text + 2);
    return SettingText(text);
}

}  // namespace

void InstallDialog::WriteSystemSettings() {
    if (!systemSettingsPending) return;
    const SettingText systemIni = InWindowsDirectory(kSystemIni, windowsDirectory);
    for (const SystemSetting& row : kSystemSettings) {
        switch (row.setting) {
        case Setting::Text:
            WriteRegistryString(row.place, InWindowsDirectory(row.name, windowsDirectory),
                                InWindowsDirectory(row.text, windowsDirectory));
            break;
        case Setting::Number:
            WriteRegistryDword(row.place, row.name, row.number);
            break;
        case Setting::SystemIni:
            WritePrivateProfileStringA(row.place, row.name, row.text, systemIni);
            break;
        }
    }
    // Cleared whatever the writes did: a second board must not write them again.
    systemSettingsPending = false;
}

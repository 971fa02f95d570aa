#include "system_settings.h"

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

constexpr char kSetupInfKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\SetupX\\INF\\OEM Name";
constexpr char kDisplaySettingsKey[] = "Config\\0001\\Display\\Settings";
constexpr char kCplClassKey[] = "Software\\CLASSES\\CLSID\\{67E0E3C0-3068-11D3-8BD1-00104B6F7516}";
constexpr char kCplServerKey[] = "Software\\CLASSES\\CLSID\\{67E0E3C0-3068-11D3-8BD1-00104B6F7516}\\InProcServer32";
constexpr char kDisplayCplHandlerKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\Shellex\\PropertySheetHandlers\\"
    "ORVA Varnel CPL Extension";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORVA Varnel";

// In the order Windows setup expects them. "OtherDevicePath" must name the
// folder the OEM INF was copied to, which moves with the Windows directory.
// "CLASSES", and "Shellex" here against the class key's "shellex", are the
// letter case Windows gives these keys.
constexpr SystemSetting kSystemSettings[] = {
    {Setting::Text,      "Software\\Microsoft\\Windows\\CurrentVersion",         "OtherDevicePath",             "%sINF\\OTHER",                                0},
    {Setting::Text,      kSetupInfKey,                                           "%sINF\\OTHER\\ORVAVarnel.INF", "ORVAVarnel.INF",                              0},
    // Keeps the memory manager off the video BIOS area.
    {Setting::SystemIni, "386Enh",                                               "EMMExclude",                  "C000-CFFF,C000-CFFF",                         0},
    {Setting::Text,      kDisplaySettingsKey,                                    "BitsPerPixel",                "16",                                          0},
    {Setting::Text,      kDisplaySettingsKey,                                    "Resolution",                  "640,480",                                     0},
    {Setting::Text,      kCplClassKey,                                           "",                            "ORVA Varnel CPL Extension",                   0},
    {Setting::Text,      kCplServerKey,                                          "",                            "%sSystem\\nvcpl.dll",                         0},
    {Setting::Text,      kCplServerKey,                                          "ThreadingModel",              "Apartment",                                   0},
    {Setting::Text,      kDisplayCplHandlerKey,                                  "",                            kCplExtensionClsid,                            0},
    {Setting::Text,      "Software\\Microsoft\\Windows\\CurrentVersion\\Run",    "DisplayTrayIcon",             "%sSystem\\TrayIcon.exe",                      0},
    {Setting::Number,    "Software\\NVIDIA Corporation\\Global\\System",         "EnableVia4X",                 nullptr,                                       0},
    {Setting::Text,      kUninstallKey,                                          "DisplayName",                 "ORVA Varnel Windows 9X / ME Display Drivers", 0},
    // The copy the deployment put at SYSTEM\UnVarnel.exe.
    {Setting::Text,      kUninstallKey,                                          "UninstallString",             "%sSYSTEM\\UnVarnel.exe",                      0},
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

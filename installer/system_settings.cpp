#include "system_settings.h"

#include <cstring>
#include <string>

#include "install_dialog.h"
#include "registry_access.h"

namespace {

// A value name or text that starts with "%s" is a path under the Windows
// directory, which takes the place of the "%s".
struct SettingText {
    const char* keyPath;
    const char* name;
    const char* text;
};

// Windows setup's bookkeeping of the OEM INF. "OtherDevicePath" is fixed
// text whatever the Windows directory.
constexpr SettingText kSetupEntries[] = {
    {"Software\\Microsoft\\Windows\\CurrentVersion",                              "OtherDevicePath",             "C:\\WINDOWS\\INF\\OTHER"},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\SetupX\\INF\\OEM Name", "%sINF\\OTHER\\ORVAVarnel.INF", "ORVAVarnel.INF"},
};

constexpr char kDisplayCplHandlerKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\Shellex\\PropertySheetHandlers\\"
    "ORVA Varnel CPL Extension";

// The profile's display mode, the control-panel extension and its hook into
// the Display control panel, and the tray program. Letter case as Windows
// spells these keys: "CLASSES", and "Shellex" here against the class key's
// "shellex".
constexpr SettingText kShellEntries[] = {
    {"Config\\0001\\Display\\Settings",                                                      "BitsPerPixel",    "16"},
    {"Config\\0001\\Display\\Settings",                                                      "Resolution",      "640,480"},
    {"Software\\CLASSES\\CLSID\\{67E0E3C0-3068-11D3-8BD1-00104B6F7516}",                    "",                "ORVA Varnel CPL Extension"},
    {"Software\\CLASSES\\CLSID\\{67E0E3C0-3068-11D3-8BD1-00104B6F7516}\\InProcServer32",    "",                "%sSystem\\nvcpl.dll"},
    {"Software\\CLASSES\\CLSID\\{67E0E3C0-3068-11D3-8BD1-00104B6F7516}\\InProcServer32",    "ThreadingModel",  "Apartment"},
    {kDisplayCplHandlerKey,                                                                  "",                kCplExtensionClsid},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Run",                                    "DisplayTrayIcon", "%sSystem\\TrayIcon.exe"},
};

// The uninstaller is the copy the deployment put at SYSTEM\UnVarnel.exe.
constexpr SettingText kUninstallEntries[] = {
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORVA Varnel", "DisplayName",     "ORVA Varnel Windows 9X / ME Display Drivers"},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORVA Varnel", "UninstallString", "%sSYSTEM\\UnVarnel.exe"},
};

std::string InWindowsDirectory(const char* text, const char* windowsDirectory) {
    if (std::strncmp(text, "%s", 2) == 0) return windowsDirectory + std::string(text + 2);
    return text;
}

template <size_t N>
void WriteSettings(const SettingText (&entries)[N], const char* windowsDirectory) {
    for (const SettingText& entry : entries) {
        WriteRegistryString(entry.keyPath, InWindowsDirectory(entry.name, windowsDirectory).c_str(),
                            InWindowsDirectory(entry.text, windowsDirectory).c_str());
    }
}

}  // namespace

void InstallDialog::WriteSystemSettings() {
    if (!systemSettingsPending) return;
    WriteSettings(kSetupEntries, windowsDirectory);
    // Keeps the memory manager off the video BIOS area.
    WritePrivateProfileStringA("386Enh", "EMMExclude", "C000-CFFF,C000-CFFF",
                               InWindowsDirectory("%ssystem.ini", windowsDirectory).c_str());
    WriteSettings(kShellEntries, windowsDirectory);
    WriteRegistryDword("Software\\NVIDIA Corporation\\Global\\System", "EnableVia4X", 0);
    WriteSettings(kUninstallEntries, windowsDirectory);
    // Cleared whatever the writes did: a second board must not write them again.
    systemSettingsPending = false;
}

#pragma once
// Registry keys under HKEY_LOCAL_MACHINE that tests plant and read in more
// than one place: the tests' own spelling, not the programs'.
namespace keys {

inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kUninstallEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORVA Varnel";
inline constexpr char kDisplaySettingsKey[] = "Config\\0001\\Display\\Settings";
inline constexpr char kNvidiaKey[] = "Software\\NVIDIA Corporation\\Global\\System";

}  // namespace keys

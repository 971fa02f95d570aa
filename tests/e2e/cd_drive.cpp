#include "cd_drive.h"

#include <windows.h>
#include <winioctl.h>

#include <cctype>
#include <vector>

namespace {

// Wine's own extension of the mount manager (include/ddk/mountmgr.h of Wine 8),
// which winecfg uses to define drives.
constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;  // a Unix path after the structure; 0 removes the drive
    USHORT deviceOffset;
    USHORT labelOffset;
};

// The Unix path Wine maps a Windows path to.
std::string UnixPath(const std::string& windowsPath) {
    using Convert = char*(CDECL*)(const WCHAR*);
    auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr) return {};
    std::wstring wide(windowsPath.begin(), windowsPath.end());
    char* unix = convert(wide.c_str());
    if (unix == nullptr) return {};
    std::string path = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

bool DefineDrive(char letter, const std::string& unixPath) {
    std::vector<char> buffer(sizeof(UnixDrive) + unixPath.size() + 1, '\0');
    auto* drive = reinterpret_cast<UnixDrive*>(buffer.data());
    drive->size = static_cast<ULONG>(buffer.size());
    drive->type = DRIVE_CDROM;
    drive->letter = static_cast<WCHAR>(letter);
    if (!unixPath.empty()) {
        drive->mountPointOffset = sizeof(UnixDrive);
        unixPath.copy(buffer.data() + sizeof(UnixDrive), unixPath.size());
    }
    HANDLE manager = CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    const bool done = DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return done;
}

}  // namespace

CdDrive::CdDrive(char letter, const std::string& folder) : letter_(static_cast<char>(std::tolower(letter))) {
    const std::string unixPath = UnixPath(folder);
    defined_ = !unixPath.empty() && DefineDrive(letter_, unixPath);
}

CdDrive::~CdDrive() {
    if (defined_) DefineDrive(letter_, "");
}

std::string CdDrive::root() const {
    return std::string(1, static_cast<char>(std::toupper(letter_))) + ":\\";
}

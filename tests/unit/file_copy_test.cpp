#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "beside_names.h"
#include "golden.h"
#include "import_reroute.h"
#include "install_dialog.h"
#include "recording_install_dialog.h"
#include "temp_folder.h"

namespace {

constexpr UINT kReportStyle = MB_OK | MB_ICONEXCLAMATION;
constexpr ULONGLONG kTicksPerSecond = 10000000;

// 2001-01-01 00:00:00 UTC and some seconds after it, each with a fraction.
FILETIME Time(ULONGLONG seconds, ULONGLONG fractionTicks) {
    ULARGE_INTEGER ticks;
    ticks.QuadPart = (12622780800ULL + seconds) * kTicksPerSecond + fractionTicks;
    return {ticks.LowPart, ticks.HighPart};
}

ULONGLONG Seconds(const FILETIME& time) {
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return ticks.QuadPart / kTicksPerSecond;
}

struct FileTimes {
    FILETIME creation, lastAccess, lastWrite;
};

void SetTimes(const std::string& path, const FileTimes& times) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    EXPECT_TRUE(SetFileTime(file, &times.creation, &times.lastAccess, &times.lastWrite)) << path;
    CloseHandle(file);
}

FileTimes TimesOf(const std::string& path) {
    FileTimes times{};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    GetFileTime(file, &times.creation, &times.lastAccess, &times.lastWrite);
    CloseHandle(file);
    return times;
}

std::string SystemText(DWORD error) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    const std::string result = text != nullptr ? text : "";
    LocalFree(text);
    return result;
}

std::string WriteFailureText(const std::string& target) {
    return "Could not WRITE the OUTPUT file : " + target + "\nFile maybe in use or read only.";
}

// Bytes that differ from one position to the next, so a chunk out of place shows.
std::string Pattern(size_t length) {
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) % 256);
    return bytes;
}

// Starts a Unix program through Wine. Wine hands back no handle to wait on
// for a Unix process, so the caller watches for the program's result.
bool StartUnix(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    if (process.hThread != nullptr) CloseHandle(process.hThread);
    if (process.hProcess != nullptr) CloseHandle(process.hProcess);
    return true;
}

// The names a folder lists; Wine gives no attributes for a device.
std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0) names.insert(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// A folder under the Unix /tmp, reached through Wine's Z: drive, in which a
// name can be made a Unix symbolic link to another Unix file. Removed with
// what it holds when the object goes: Wine's DeleteFileA will not remove a
// link to a device.
class UnixFolder {
public:
    UnixFolder()
        : name_("varnel-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount())),
          path_("Z:\\tmp\\" + name_ + "\\") {
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~UnixFolder() { StartUnix("/bin/rm -rf /tmp/" + name_); }
    UnixFolder(const UnixFolder&) = delete;
    UnixFolder& operator=(const UnixFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }
    // Makes `name` a link to `unixTarget`; false when it did not appear.
    bool Link(const std::string& name, const std::string& unixTarget) const {
        if (!StartUnix("/bin/ln -sfn " + unixTarget + " /tmp/" + name_ + "/" + name)) return false;
        for (int tries = 0; tries < 100; ++tries) {
            if (Listing(path_).count(name)) return true;
            Sleep(50);
        }
        return false;
    }

private:
    std::string name_;
    std::string path_;
};

class CopyDriverFileTest : public ::testing::Test {
protected:
    // The temporary folder stands in for the Windows directory too, for WININIT.INI.
    void SetUp() override { std::strcpy(dialog_.windowsDirectory, folder_.path().c_str()); }
    bool Copy(const std::string& source, const std::string& target, DWORD bufferSize = 1024) {
        EXPECT_LE(source.size(), static_cast<size_t>(DriverFilePath::kCapacity));
        EXPECT_LE(target.size(), static_cast<size_t>(DriverFilePath::kCapacity));
        return dialog_.CopyDriverFile(DriverFilePath(source.c_str()), DriverFilePath(target.c_str()), bufferSize);
    }
    // The one report of a failed copy, compared whole.
    void ExpectOneBox(const std::string& text, const std::string& caption) {
        ASSERT_EQ(dialog_.boxes.size(), 1u);
        EXPECT_EQ(dialog_.boxes[0].text, text);
        EXPECT_EQ(dialog_.boxes[0].caption, caption);
        EXPECT_EQ(dialog_.boxes[0].type, kReportStyle);
    }

    AdapterTable adapters_{};
    RecordingInstallDialog dialog_{adapters_};
    TempFolder folder_;
};

TEST_F(CopyDriverFileTest, EveryLengthArrivesWholeThroughASmallBuffer) {
    // Around one and several whole buffers of 64 bytes, and far beyond.
    for (size_t length : {1u, 63u, 64u, 65u, 192u, 5000u}) {
        SCOPED_TRACE(length);
        const std::string source = folder_ / "source.bin";
        const std::string target = folder_ / "target.bin";
        WriteFileBytes(source, Pattern(length));
        EXPECT_TRUE(Copy(source, target, 64));
        EXPECT_EQ(ReadFileBytes(target), Pattern(length));
    }
    EXPECT_TRUE(dialog_.boxes.empty());
}

TEST_F(CopyDriverFileTest, EmptySourceGivesEmptyTargetWithTheSourceStatus) {
    const std::string source = folder_ / "empty.inf";
    const std::string target = folder_ / "copy.inf";
    WriteFileBytes(source, "");
    SetTimes(source, {Time(100, 1234567), Time(200, 2345678), Time(300, 3456789)});
    ASSERT_TRUE(SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));

    EXPECT_TRUE(Copy(source, target));
    EXPECT_TRUE(FileExists(target));
    EXPECT_EQ(ReadFileBytes(target), "");
    EXPECT_EQ(GetFileAttributesA(target.c_str()), DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE});
    EXPECT_EQ(Seconds(TimesOf(target).lastWrite), Seconds(TimesOf(source).lastWrite));
    EXPECT_TRUE(dialog_.boxes.empty());
}

TEST_F(CopyDriverFileTest, ReadOnlySourceGivesWritableTargetWithItsOtherBits) {
    const std::string source = folder_ / "nvcore.vxd";
    const std::string target = folder_ / "installed.vxd";
    WriteFileBytes(source, "vxd");
    ASSERT_TRUE(SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                       FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));

    EXPECT_TRUE(Copy(source, target));
    EXPECT_EQ(GetFileAttributesA(target.c_str()),
              DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE});
    EXPECT_EQ(ReadFileBytes(target), "vxd");
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Wine keeps no creation time of its own (it reads back the last write's):
// the source reports one through FindFirstFileA, and the test reads the
// file and the creation time of the copy's last SetFileTime as it calls.
decltype(&FindFirstFileA) realFindFirstFileA = nullptr;
decltype(&SetFileTime) realSetFileTime = nullptr;
std::string sourceWithCreation;
std::pair<std::wstring, ULONGLONG> lastStamp;

HANDLE WINAPI ReportCreation(LPCSTR path, LPWIN32_FIND_DATAA found) {
    HANDLE search = realFindFirstFileA(path, found);
    if (search != INVALID_HANDLE_VALUE && sourceWithCreation == path) found->ftCreationTime = Time(1000, 9999999);
    return search;
}

BOOL WINAPI RecordSetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* access, const FILETIME* write) {
    WCHAR name[2 + MAX_PATH] = {};  // FILE_NAME_INFO: the name's length in a DWORD, then the name
    using Query = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);
    reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                                   "GetFileInformationByHandleEx")))(file, 2, name, sizeof name);
    lastStamp = {name + 2, Seconds(*creation)};
    return realSetFileTime(file, creation, access, write);
}

TEST_F(CopyDriverFileTest, TheThreeTimesAreCarriedToTheSecondAndStampedLastUnderTheFilesName) {
    const std::string source = folder_ / "nvdisp.drv";
    const std::string target = folder_ / "installed.drv";
    WriteFileBytes(source, Pattern(3000));
    SetTimes(source, {Time(1000, 9999999), Time(86400 * 400, 5000000), Time(86400 * 30, 1)});
    // The copy's own writes give the target the time of now; the source's are far from it.
    const FileTimes wanted = TimesOf(source);
    // Over a file whose creation time a file system that tunnels names hands on.
    WriteFileBytes(target, "installed");
    SetTimes(target, {Time(5, 0), Time(6, 0), Time(7, 0)});
    sourceWithCreation = source;
    lastStamp = {};

    bool copied = false;
    {
        ScopedReroute find("kernel32.dll", "FindFirstFileA", &ReportCreation, realFindFirstFileA);
        ScopedReroute stamp("kernel32.dll", "SetFileTime", &RecordSetFileTime, realSetFileTime);
        copied = Copy(source, target);
    }
    EXPECT_TRUE(copied);
    const FileTimes got = TimesOf(target);
    EXPECT_EQ(Seconds(got.lastWrite), Seconds(wanted.lastWrite));
    EXPECT_EQ(Seconds(got.lastAccess), Seconds(wanted.lastAccess));
    EXPECT_EQ(lastStamp.first.substr(lastStamp.first.rfind(L'\\') + 1), L"installed.drv") << "stamped, then renamed";
    EXPECT_EQ(lastStamp.second, Seconds(Time(1000, 0)));
}

TEST_F(CopyDriverFileTest, ExistingWritableTargetIsReplaced) {
    const std::string source = folder_ / "nvcpl.dll";
    const std::string target = folder_ / "installed.dll";
    WriteFileBytes(source, "new");
    WriteFileBytes(target, "an older and much longer file");

    EXPECT_TRUE(Copy(source, target));
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_TRUE(dialog_.boxes.empty());
}

// Held by another program, as Windows holds the running driver, the target
// is replaced at the restart: the new file waits whole and stamped, named
// once in WININIT.INI however often it is installed, and a copy made once
// the target is free takes that back. Read-only, the target is the user's.
TEST_F(CopyDriverFileTest, AHeldTargetWaitsForTheRestartAndAReadOnlyOneIsNamed) {
    const std::string source = folder_ / "nvdd32.dll";
    const std::string target = folder_ / "busy.dll";
    const std::string staged = BesideOf(target, Beside::kStaged), wininit = folder_ / "WININIT.INI";
    WriteFileBytes(source, "new");
    SetTimes(source, {Time(100, 0), Time(200, 0), Time(300, 0)});
    WriteFileBytes(target, "in use");
    HANDLE holder = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    // Nothing can be staged while WININIT.INI cannot be read.
    HANDLE ini = CreateFileA(wininit.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_FALSE(Copy(source, target));
    ExpectOneBox(WriteFailureText(target), "File Write ERROR !");
    EXPECT_FALSE(FileExists(staged));
    CloseHandle(ini);
    DeleteFileA(wininit.c_str());
    dialog_.boxes.clear();

    EXPECT_TRUE(Copy(source, target));
    EXPECT_TRUE(Copy(source, target));
    CloseHandle(holder);
    EXPECT_TRUE(dialog_.boxes.empty());
    EXPECT_EQ(ReadFileBytes(target), "in use");
    EXPECT_EQ(ReadFileBytes(staged), "new");
    EXPECT_EQ(Seconds(TimesOf(staged).lastWrite), Seconds(Time(300, 0)));
    EXPECT_EQ(ReadFileBytes(wininit), "[rename]\r\n" + Short(target) + "=" + Short(staged) + "\r\n");

    EXPECT_TRUE(Copy(source, target));
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_FALSE(FileExists(staged));
    EXPECT_EQ(ReadFileBytes(wininit), "[rename]\r\n");
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(Copy(source, target));
    ExpectOneBox(WriteFailureText(target), "File Write ERROR !");
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The rename into place refused, as by a program that took the name just
// freed, and the first `refusals` renames onto the target with it.
decltype(&MoveFileA) realMoveFileA = nullptr;
std::string refusedTarget;
int refusals = 0, renamesOntoTarget = 0;

BOOL WINAPI RefuseRenamesOntoTheTarget(LPCSTR from, LPCSTR to) {
    if (refusedTarget == to && renamesOntoTarget++ < refusals) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    return realMoveFileA(from, to);
}

// The old file goes back; when that is refused too, both stay whole under
// their own names for the next install to settle.
TEST_F(CopyDriverFileTest, ARefusedRenameIntoPlacePutsTheOldFileBackOrKeepsBothAndNamesIt) {
    const std::string source = folder_ / "nvmini2.vxd";
    const std::string target = folder_ / "installed.vxd";
    WriteFileBytes(source, "new");
    WriteFileBytes(target, "old");
    for (int refused : {1, 2}) {
        SCOPED_TRACE(refused);
        refusedTarget = target;
        refusals = refused;
        renamesOntoTarget = 0;
        dialog_.boxes.clear();
        bool copied = true;
        {
            ScopedReroute refusing("kernel32.dll", "MoveFileA", &RefuseRenamesOntoTheTarget, realMoveFileA);
            copied = Copy(source, target);
        }
        ASSERT_EQ(renamesOntoTarget, 2) << "the old file was not put back";
        EXPECT_FALSE(copied);
        ExpectOneBox(WriteFailureText(target), "File Write ERROR !");
    }
    EXPECT_EQ(Listing(folder_.path()), (std::set<std::string>{"nvmini2.vxd", "~INSTALL.NEW", "~INSTALL.OLD"}));
    EXPECT_EQ(ReadFileBytes(BesideOf(target, Beside::kNew)), "new");
    EXPECT_EQ(ReadFileBytes(BesideOf(target, Beside::kSteppedAside)), "old");
}

// A text with inserts (Windows' ERROR_WRONG_DISK, Wine's ERROR_BAD_EXE_FORMAT)
// and a code with no text are shown all the same.
TEST_F(CopyDriverFileTest, EveryFailureIsShownInTheSystemsWordsOrByItsNumber) {
    const std::string wineWords = "Bad EXE format for %1.\r\n";
    const DWORD noText = 0x2000ABCD;  // the customer bit: no system has words for it
    ASSERT_EQ(SystemText(ERROR_BAD_EXE_FORMAT), wineWords) << "the premise: Wine's words for the code";
    ASSERT_EQ(SystemText(noText), "");
    dialog_.ReportSystemError(ERROR_BAD_EXE_FORMAT);
    ExpectOneBox(wineWords, "");
    dialog_.boxes.clear();
    dialog_.ReportSystemError(noText);
    ExpectOneBox("Error 536914893.", "");
}

TEST_F(CopyDriverFileTest, MissingSourceIsNamedAsPassed) {
    const std::string target = folder_ / "never.vxd";
    EXPECT_FALSE(Copy(".\\Driver\\Win9X\\no-such-file.vxd", target));
    ExpectOneBox("Could not open the INPUT file : .\\Driver\\Win9X\\no-such-file.vxd", "File Open ERROR !");
    EXPECT_FALSE(FileExists(target));
}

TEST_F(CopyDriverFileTest, PathsAsLongAsAnyTheInstallFormsAreNamedWhole) {
    // As long as a 127-character Windows directory and the longest target
    // under it, in the longer of the two reports.
    const std::string source = folder_ / "nvmini.vxd";
    WriteFileBytes(source, "mini");
    const std::string name = "\\nvmini.vxd";
    const std::string longest = folder_ / std::string(DriverFilePath::kCapacity - (folder_ / name).size(), 'n') + name;
    ASSERT_EQ(longest.size(), static_cast<size_t>(DriverFilePath::kCapacity));
    EXPECT_FALSE(Copy(source, longest));
    ExpectOneBox(WriteFailureText(longest), "File Write ERROR !");
}

// A copy that fails half-way over an installed file: on a full disk (the
// replacement file a link to /dev/full), on a source shorter than it says
// (sysfs gives every file a length of 4096) and when the new file cannot be
// stamped (procfs takes the times but refuses attribute bits). Each time the
// system's text is shown, the old file stays byte for byte, and nothing is
// left beside it.
TEST_F(CopyDriverFileTest, AFailureHalfWayLeavesTheOldTargetWhole) {
    struct HalfWay {
        const char* what;
        const char* source;           // a Unix path, or a file of the test's
        const char* replacementLink;  // what the replacement file is made a link to
        DWORD sourceAttributes;
    };
    const HalfWay cases[] = {
        {"full disk", nullptr, "/dev/full", 0},
        {"short read", "/sys/devices/system/cpu/online", nullptr, 0},
        {"refused stamp", nullptr, "/proc/self/comm", FILE_ATTRIBUTE_HIDDEN},
    };
    for (const HalfWay& halfWay : cases) {
        SCOPED_TRACE(halfWay.what);
        UnixFolder folder;
        const std::string target = folder / "nvopengl.dll";
        const std::string old = Pattern(2500);
        WriteFileBytes(target, old);
        std::string source = folder_ / "nvopengl.dll";
        if (halfWay.source != nullptr) {
            source = FromUnix(halfWay.source);
            if (!FileExists(source)) {
                GTEST_SKIP() << halfWay.source << " is not there to read";
            }
        } else {
            WriteFileBytes(source, halfWay.sourceAttributes ? "" : Pattern(3000));
            ASSERT_TRUE(SetFileAttributesA(source.c_str(), halfWay.sourceAttributes | FILE_ATTRIBUTE_NORMAL));
        }
        const std::string newFile = BesideOf(target, Beside::kNew).substr(folder.path().size());
        ASSERT_TRUE(!halfWay.replacementLink || folder.Link(newFile, halfWay.replacementLink));
        // The error the copy will meet, as a plain call meets it.
        DWORD error = halfWay.source != nullptr ? ERROR_HANDLE_EOF : ERROR_DISK_FULL;
        if (halfWay.sourceAttributes) {
            ASSERT_FALSE(SetFileAttributesA((folder / newFile).c_str(), halfWay.sourceAttributes));
            error = GetLastError();
        }
        const std::set<std::string> before = Listing(folder.path());
        dialog_.boxes.clear();

        EXPECT_FALSE(Copy(source, target));
        ExpectOneBox(SystemText(error), "");
        EXPECT_EQ(ReadFileBytes(target), old);
        // Only what was there: a link to a device outlives Wine's DeleteFileA.
        for (const std::string& name : Listing(folder.path())) EXPECT_EQ(before.count(name), 1u) << name;
        SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(CopyDriverFileTest, BufferThatCannotBeHadIsReportedAndLeavesTheTargetAsItWas) {
#ifdef _WIN64
    GTEST_SKIP() << "a 64-bit process can have a buffer of 4 GiB";
#endif
    const std::string source = folder_ / "nvmode.dll";
    const std::string target = folder_ / "installed.dll";
    WriteFileBytes(source, "mode");
    WriteFileBytes(target, "old");

    EXPECT_FALSE(Copy(source, target, 0xFFFFFFF0));
    ExpectOneBox("Could not allocate the copy buffer.", "");
    EXPECT_EQ(ReadFileBytes(target), "old");
}

}  // namespace

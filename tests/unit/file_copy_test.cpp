#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, error,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    const std::string result = text != nullptr ? text : "";
    LocalFree(text);
    return result;
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

// Whether the folder lists the name; Wine gives no attributes for a device.
bool Listed(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

// A file name, reached through Wine's Z: drive, that is a Unix symbolic link
// to another Unix file; removed (the link only) when the object goes.
class UnixLink {
public:
    UnixLink(const std::string& name, const std::string& unixTarget)
        : unixPath_("/tmp/" + name), windowsPath_("Z:\\tmp\\" + name) {
        if (!StartUnix("/bin/ln -sfn " + unixTarget + " " + unixPath_)) return;
        for (int tries = 0; tries < 100 && !made_; ++tries) {
            made_ = Listed(windowsPath_);
            if (!made_) Sleep(50);
        }
    }
    // Wine's DeleteFileA will not remove a link to a device.
    ~UnixLink() { StartUnix("/bin/rm -f " + unixPath_); }
    UnixLink(const UnixLink&) = delete;
    UnixLink& operator=(const UnixLink&) = delete;

    bool made() const { return made_; }
    const std::string& path() const { return windowsPath_; }

private:
    std::string unixPath_;
    std::string windowsPath_;
    bool made_ = false;
};

std::string UniqueName(const char* stem) {
    return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
}

class CopyDriverFileTest : public ::testing::Test {
protected:
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

TEST_F(CopyDriverFileTest, TheThreeTimesAreCarriedToTheSecond) {
    const std::string source = folder_ / "nvdisp.drv";
    const std::string target = folder_ / "installed.drv";
    WriteFileBytes(source, Pattern(3000));
    SetTimes(source, {Time(1000, 9999999), Time(86400 * 400, 5000000), Time(86400 * 30, 1)});
    // The copy's own writes give the target the time of now; the source's are far from it.
    const FileTimes wanted = TimesOf(source);

    EXPECT_TRUE(Copy(source, target));
    const FileTimes got = TimesOf(target);
    EXPECT_EQ(Seconds(got.lastWrite), Seconds(wanted.lastWrite));
    EXPECT_EQ(Seconds(got.lastAccess), Seconds(wanted.lastAccess));
    EXPECT_EQ(Seconds(got.creation), Seconds(wanted.creation));
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

TEST_F(CopyDriverFileTest, TargetInUseIsLeftAloneAndNamed) {
    const std::string source = folder_ / "nvdd32.dll";
    const std::string target = folder_ / "busy.dll";
    WriteFileBytes(source, "new");
    WriteFileBytes(target, "in use");
    HANDLE holder = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    EXPECT_FALSE(Copy(source, target));
    CloseHandle(holder);
    ExpectOneBox("Could not WRITE the OUTPUT file : " + target + "\nFile maybe in use or read only.",
                 "File Write ERROR !");
    EXPECT_EQ(ReadFileBytes(target), "in use");
    // The source was let go on the way out.
    HANDLE source_again = CreateFileA(source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(source_again, INVALID_HANDLE_VALUE);
    CloseHandle(source_again);
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
    ExpectOneBox("Could not WRITE the OUTPUT file : " + longest + "\nFile maybe in use or read only.", "File Write ERROR !");
}

TEST_F(CopyDriverFileTest, FullDiskIsReportedAndFails) {
    const std::string source = folder_ / "nvopengl.dll";
    WriteFileBytes(source, Pattern(3000));
    UnixLink full(UniqueName("varnel-full"), "/dev/full");
    ASSERT_TRUE(full.made());

    EXPECT_FALSE(Copy(source, full.path()));
    ExpectOneBox(SystemText(ERROR_DISK_FULL), "");
}

TEST_F(CopyDriverFileTest, FailureToStampTheTargetIsReportedAndFails) {
    // procfs takes the open and the times but refuses attribute bits, and an
    // empty source writes nothing into the file.
    const std::string source = folder_ / "hidden.dll";
    WriteFileBytes(source, "");
    ASSERT_TRUE(SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_HIDDEN));
    UnixLink proc(UniqueName("varnel-proc"), "/proc/self/comm");
    ASSERT_TRUE(proc.made());

    EXPECT_FALSE(Copy(source, proc.path()));
    ASSERT_FALSE(SetFileAttributesA(proc.path().c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::string refusal = SystemText(GetLastError());
    ASSERT_FALSE(refusal.empty());
    ExpectOneBox(refusal, "");
}

TEST_F(CopyDriverFileTest, BufferThatCannotBeHadIsReportedAndLeavesAnEmptyTarget) {
#ifdef _WIN64
    GTEST_SKIP() << "a 64-bit process can have a buffer of 4 GiB";
#endif
    const std::string source = folder_ / "nvmode.dll";
    const std::string target = folder_ / "installed.dll";
    WriteFileBytes(source, "mode");
    WriteFileBytes(target, "old");

    EXPECT_FALSE(Copy(source, target, 0xFFFFFFF0));
    ExpectOneBox("Could not allocate the copy buffer.", "");
    EXPECT_TRUE(FileExists(target));
    EXPECT_EQ(ReadFileBytes(target), "");
}

}  // namespace

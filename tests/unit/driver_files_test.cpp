#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "beside_names.h"
#include "golden.h"
#include "install_dialog.h"
#include "install_resources.h"
#include "recording_install_dialog.h"
#include "temp_folder.h"

namespace {

const std::vector<GoldenDriverFile> kFiles = GoldenDriverFiles();
const int kFileCount = static_cast<int>(kFiles.size());

// Records, with each message box, the progress bar's position at that moment.
class ProgressWatchingDialog : public RecordingInstallDialog {
public:
    using RecordingInstallDialog::RecordingInstallDialog;

    int ShowMessageBox(const char* text, const char* caption, UINT type) override {
        HWND bar = GetDlgItem(Window(), IDC_PROGRESS);
        positionAtBox.push_back(static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)));
        return RecordingInstallDialog::ShowMessageBox(text, caption, type);
    }

    std::vector<int> positionAtBox;
};

class DeployDriverFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"INF", "System", "Help"}) MakeFolder(windows_ / folder);
        ASSERT_LT(windows_.path().size(), sizeof dialog_.windowsDirectory);

        char current[MAX_PATH];
        GetCurrentDirectoryA(sizeof current, current);
        savedDirectory_ = current;
        ASSERT_TRUE(SetCurrentDirectoryA(medium_.path().c_str()));

        ASSERT_NE(dialog_.CreateModeless(), nullptr);
        std::strcpy(dialog_.windowsDirectory, windows_.path().c_str());
    }
    void TearDown() override {
        // Without a window manager Wine waits two seconds here for the
        // dialog to be withdrawn.
        if (dialog_.Window() != nullptr) DestroyWindow(dialog_.Window());
        // The medium folder cannot go while it is the current directory.
        SetCurrentDirectoryA(savedDirectory_.c_str());
    }

    HWND Bar() const { return GetDlgItem(dialog_.Window(), IDC_PROGRESS); }
    int Position() const { return static_cast<int>(SendMessageA(Bar(), PBM_GETPOS, 0, 0)); }

    // Every source file, named after its folder so the test can tell where a copy came from.
    void PutMediumFiles(const std::string& folder, const std::string& tag, const char* leaveOut = nullptr) {
        for (const std::string& source : GoldenMediumNames()) {
            if (leaveOut == nullptr || source != leaveOut) {
                WriteFileBytes(folder + source, tag + source);
            }
        }
    }
    void PutDriverFolder(const std::string& tag) {
        MakeFolder(medium_ / "Driver");
        MakeFolder(medium_ / "Driver\\Win9X");
        PutMediumFiles(medium_ / "Driver\\Win9X\\", tag);
    }
    void ExpectInstalledFrom(const std::string& tag) {
        for (const GoldenDriverFile& file : kFiles) {
            EXPECT_EQ(ReadFileBytes(windows_ / file.target), tag + file.source) << file.target;
        }
    }

    TempFolder windows_;
    TempFolder medium_;
    AdapterTable adapters_{};
    ProgressWatchingDialog dialog_{adapters_};
    std::string savedDirectory_;
};

TEST_F(DeployDriverFilesTest, FilesBesideVarnelInfGoToTheirPlacesAndTheDriverFolderIsIgnored) {
    PutMediumFiles(medium_.path(), "medium ");
    PutDriverFolder("Win9X ");

    dialog_.DeployDriverFiles();

    ExpectInstalledFrom("medium ");
    EXPECT_TRUE(dialog_.boxes.empty());
    PBRANGE range{};
    SendMessageA(Bar(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, kFileCount);
    EXPECT_EQ(Position(), kFileCount);
}

TEST_F(DeployDriverFilesTest, WithoutVarnelInfBesideItEveryFileComesFromTheDriverFolder) {
    PutMediumFiles(medium_.path(), "medium ", "Varnel.inf");
    PutDriverFolder("Win9X ");

    dialog_.DeployDriverFiles();

    ExpectInstalledFrom("Win9X ");
    EXPECT_TRUE(dialog_.boxes.empty());
}

TEST_F(DeployDriverFilesTest, VarnelInfHeldOpenByAViewerStillMarksTheMedium) {
    PutMediumFiles(medium_.path(), "medium ");
    PutDriverFolder("Win9X ");
    // Open for reading and sharing reads, as a viewer holds a file.
    HANDLE viewer = CreateFileA((medium_ / "Varnel.inf").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);

    dialog_.DeployDriverFiles();
    CloseHandle(viewer);

    // The setup information file itself cannot be copied while held; every
    // other file comes from beside it.
    ASSERT_EQ(dialog_.boxes.size(), 2u);
    for (const auto& box : dialog_.boxes) EXPECT_EQ(box.text, "Could not open the INPUT file : Varnel.inf");
    for (const GoldenDriverFile& file : kFiles) {
        if (file.source == "Varnel.inf") continue;
        EXPECT_EQ(ReadFileBytes(windows_ / file.target), "medium " + file.source);
    }
}

// Started from the CD with another working folder, the installer finds the
// medium beside its own file; the working folder still comes first.
TEST_F(DeployDriverFilesTest, TheMediumIsLookedForInTheWorkingFolderThenBesideTheProgram) {
    TempFolder cd;
    const std::string program = cd / "INSTVARN.EXE";
    EXPECT_EQ(std::string(FindMediumFolder(program.c_str())), ".\\Driver\\Win9X\\") << "no medium anywhere";
    MakeFolder(cd / "Driver");
    MakeFolder(cd / "Driver\\Win9X");
    WriteFileBytes(cd / "Driver\\Win9X\\Varnel.inf", "");
    EXPECT_EQ(std::string(FindMediumFolder(program.c_str())), cd / "Driver\\Win9X\\");
    WriteFileBytes(cd / "Varnel.inf", "");
    EXPECT_EQ(std::string(FindMediumFolder(program.c_str())), cd.path());
    PutDriverFolder("Win9X ");
    EXPECT_EQ(std::string(FindMediumFolder(program.c_str())), ".\\Driver\\Win9X\\") << "the working folder first";
}

// After an earlier install that placed only every other file: nvdisp.drv
// was cut short between its two renames, and nvdd32.dll's old file could not
// be put back then. Run again from a medium that lacks both, each old file
// goes back under its own name, and nothing is left beside them.
TEST_F(DeployDriverFilesTest, FilesCutShortBetweenTheirRenamesGoBackExactlyAfterAnIncompleteInstall) {
    MakeFolder(windows_ / "INF\\OTHER");
    for (int i = 0; i < kFileCount; i += 2) WriteFileBytes(windows_ / kFiles[i].target, "earlier " + kFiles[i].source);
    for (const char* file : {"System\\nvdisp.drv", "System\\nvdd32.dll"}) {
        DeleteFileA((windows_ / file).c_str());
        WriteFileBytes(BesideOf(windows_ / file, Beside::kSteppedAside), "earlier");
        WriteFileBytes(BesideOf(windows_ / file, Beside::kNew), "new");
    }
    PutMediumFiles(medium_.path(), "medium ", "nvdisp.drv");
    DeleteFileA((medium_ / "nvdd32.dll").c_str());

    dialog_.DeployDriverFiles();

    ASSERT_EQ(dialog_.boxes.size(), 2u);
    for (const GoldenDriverFile& file : kFiles) {
        const bool cutShort = file.source == "nvdisp.drv" || file.source == "nvdd32.dll";
        EXPECT_EQ(ReadFileBytes(windows_ / file.target), cutShort ? "earlier" : "medium " + file.source) << file.target;
    }
    for (const GoldenDriverFile& file : kFiles) {
        for (Beside which : {Beside::kNew, Beside::kSteppedAside, Beside::kStaged})
            EXPECT_FALSE(FileExists(BesideOf(windows_ / file.target, which))) << file.target;
    }
}

TEST_F(DeployDriverFilesTest, MissingSourcesAreReportedInOrderWhileTheBarAdvances) {
    dialog_.DeployDriverFiles();

    ASSERT_EQ(dialog_.boxes.size(), static_cast<size_t>(kFileCount));
    for (int i = 0; i < kFileCount; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(dialog_.boxes[i].text,
                  std::string("Could not open the INPUT file : .\\Driver\\Win9X\\") + kFiles[i].source);
        EXPECT_EQ(dialog_.boxes[i].caption, "File Open ERROR !");
        EXPECT_EQ(dialog_.boxes[i].type, UINT{MB_OK | MB_ICONEXCLAMATION});
        // Each failed entry before it has moved the bar on by one.
        EXPECT_EQ(dialog_.positionAtBox[i], i);
    }
    EXPECT_EQ(Position(), kFileCount);
    EXPECT_NE(GetFileAttributesA((windows_ / "INF\\OTHER").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DeployDriverFilesTest, InstallingAgainReplacesEveryFile) {
    PutMediumFiles(medium_.path(), "first ");
    dialog_.DeployDriverFiles();
    PutMediumFiles(medium_.path(), "second ");

    dialog_.DeployDriverFiles();

    ExpectInstalledFrom("second ");
    EXPECT_TRUE(dialog_.boxes.empty());
    EXPECT_EQ(Position(), kFileCount);
}

}  // namespace

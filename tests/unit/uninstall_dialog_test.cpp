// The uninstall dialog in this process: its template, its opening, OK with
// both answers to the restart question, and the ways out without removal.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "recording_uninstall_dialog.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace {

constexpr int kUninstallTemplate = 102;
constexpr int kPromptText = 1000;
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kBoard[] = "Enum\\PCI\\VEN_10DE&DEV_0110&SUBSYS_00000000&REV_A1";
constexpr char kClassKey[] = "System\\CurrentControlSet\\Services\\Class\\Display\\0002";

// ---- the template ----

// Reads the fields of a DLGTEMPLATEEX in order.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : at_(data) {}
    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return Take<short>(); }
    BYTE Byte() { return Take<BYTE>(); }
    std::wstring Text() {
        std::wstring text;
        while (WCHAR c = Take<WCHAR>()) text += c;
        return text;
    }
    // A name or an ordinal: an ordinal comes back as "#" and its number.
    std::wstring NameOrOrdinal() {
        if (Peek<WORD>() == 0xFFFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        return Text();
    }
    void AlignToDword(const BYTE* base) {
        while ((at_ - base) % 4 != 0) ++at_;
    }
    const BYTE* at() const { return at_; }

private:
    template <typename T>
    T Peek() const {
        T value;
        std::memcpy(&value, at_, sizeof value);
        return value;
    }
    template <typename T>
    T Take() {
        T value = Peek<T>();
        at_ += sizeof value;
        return value;
    }
    const BYTE* at_;
};

struct Control {
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
    std::wstring windowClass;
    std::wstring text;
};

TEST(UninstallTemplateTest, DialogAndControlsAreAsDesigned) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(kUninstallTemplate), MAKEINTRESOURCEA(5));  // RT_DIALOG
    ASSERT_NE(found, nullptr);
    const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    TemplateReader reader(base);
    ASSERT_EQ(reader.Word(), 1);       // dlgVer
    ASSERT_EQ(reader.Word(), 0xFFFF);  // signature: an extended template
    reader.Dword();                    // help id
    EXPECT_EQ(reader.Dword(), static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(reader.Dword(),
              static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    const WORD controls = reader.Word();
    EXPECT_EQ(reader.Short(), 0);
    EXPECT_EQ(reader.Short(), 0);
    EXPECT_EQ(reader.Short(), 179);
    EXPECT_EQ(reader.Short(), 95);
    EXPECT_EQ(reader.NameOrOrdinal(), L"");  // no menu
    EXPECT_EQ(reader.NameOrOrdinal(), L"");  // the standard dialog class
    EXPECT_EQ(reader.Text(), L"Uninstall ORVA Varnel Windows 95/98 Display Drivers");
    EXPECT_EQ(reader.Word(), 10);  // points
    EXPECT_EQ(reader.Word(), 0);   // weight
    EXPECT_EQ(reader.Byte(), 0);   // italic
    EXPECT_EQ(reader.Byte(), DEFAULT_CHARSET);
    EXPECT_EQ(reader.Text(), L"新細明體");

    ASSERT_EQ(controls, 3);
    std::vector<Control> read;
    for (int i = 0; i < controls; ++i) {
        reader.AlignToDword(base);
        Control control;
        reader.Dword();  // help id
        EXPECT_EQ(reader.Dword(), 0u) << "extended style of control " << i;
        control.style = reader.Dword();
        control.x = reader.Short();
        control.y = reader.Short();
        control.cx = reader.Short();
        control.cy = reader.Short();
        control.id = reader.Dword();
        control.windowClass = reader.NameOrOrdinal();
        control.text = reader.NameOrOrdinal();
        EXPECT_EQ(reader.Word(), 0) << "creation data of control " << i;
        read.push_back(control);
    }
    const DWORD shown = WS_CHILD | WS_VISIBLE;
    const Control expected[] = {
        {shown | WS_TABSTOP | BS_DEFPUSHBUTTON, 25, 65, 50, 15, 1, L"#128", L"&OK"},
        {shown | WS_TABSTOP | BS_PUSHBUTTON, 100, 65, 50, 15, 2, L"#128", L"&Cancel"},
        {shown | WS_GROUP | SS_LEFT, 15, 20, 150, 30, 1000, L"#130",
         L"Do you really want to remove ORVA Varnel Display Drivers?"},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read[i].id, expected[i].id);
        EXPECT_EQ(read[i].style, expected[i].style);
        EXPECT_EQ(read[i].windowClass, expected[i].windowClass);  // #128 button, #130 static
        EXPECT_EQ(read[i].text, expected[i].text);
        EXPECT_EQ(read[i].x, expected[i].x);
        EXPECT_EQ(read[i].y, expected[i].y);
        EXPECT_EQ(read[i].cx, expected[i].cx);
        EXPECT_EQ(read[i].cy, expected[i].cy);
    }
}

// ---- running the dialog ----

std::string ItemText(HWND window, int id) {
    char text[256];
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

class UninstallDialogTest : public RegistrySandbox {
protected:
    void SetUp() override {
        RegistrySandbox::SetUp();
        MakeFolder(windows_ / "System");
        WriteFileBytes(windows_ / "System\\nvdisp.drv", "driver");
        PutValue(kRun, "DisplayTrayIcon", SzValue("TrayIcon.exe"));
        PutValue(std::string(kBoard) + "\\000800", "Driver", SzValue("DISPLAY\\0002"));
        PutValue(kClassKey, "InfSection", SzValue("NV4"));
    }

    void Press(RecordingUninstallDialog& dialog, WORD id) {
        SendMessageA(dialog.Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog.Window(), id)));
    }
    void ExpectRemoved() {
        EXPECT_FALSE(FileExists(windows_ / "System\\nvdisp.drv"));
        EXPECT_FALSE(GetValue(kRun, "DisplayTrayIcon").has_value());
        EXPECT_FALSE(KeyExists(kClassKey));
        EXPECT_FALSE(KeyExists(std::string(kBoard) + "\\000800"));
    }
    void ExpectNothingChanged() {
        EXPECT_TRUE(FileExists(windows_ / "System\\nvdisp.drv"));
        EXPECT_TRUE(HasString(kRun, "DisplayTrayIcon", "TrayIcon.exe"));
        EXPECT_TRUE(HasString(std::string(kBoard) + "\\000800", "Driver", "DISPLAY\\0002"));
        EXPECT_TRUE(KeyExists(kClassKey));
        EXPECT_FALSE(KeyExists("Config"));
    }

    TempFolder windows_;
    AdapterTable adapters_{};
};

TEST_F(UninstallDialogTest, OpensWithItsIconTheBoardsAndTheEnglishPrompt) {
    RecordingUninstallDialog dialog(adapters_);
    ASSERT_TRUE(dialog.Open(windows_.path()));
    const HWND window = dialog.Window();
    if (dialog.useChinese) GTEST_SKIP() << "this machine's default language is Chinese (Taiwan)";

    EXPECT_NE(SendMessageA(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(window, WM_GETICON, ICON_SMALL, 0), 0);
    ASSERT_EQ(adapters_.count, 1);
    EXPECT_STREQ(adapters_.slots[0], "VEN_10DE&DEV_0110&SUBSYS_00000000&REV_A1");
    char caption[128];
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Uninstall ORVA Varnel Windows 95/98 Display Drivers");
    EXPECT_EQ(ItemText(window, kPromptText), "Do you really want to remove ORVA Varnel Display Drivers?");
    EXPECT_EQ(ItemText(window, IDOK), "&OK");
    EXPECT_EQ(ItemText(window, IDCANCEL), "&Cancel");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDOK)));  // this machine has a Windows directory
    ExpectNothingChanged();
}

TEST_F(UninstallDialogTest, OkThenCancelRemovesAsksOnceAndRequestsNoRestart) {
    RecordingUninstallDialog dialog(adapters_, IDCANCEL);
    ASSERT_TRUE(dialog.Open(windows_.path()));
    dialog.useChinese = false;

    Press(dialog, IDOK);

    ExpectRemoved();
    EXPECT_EQ(ItemText(dialog.Window(), kPromptText), "\n\tDrivers uninstall complete !");
    ASSERT_EQ(dialog.boxes.size(), 1u);
    EXPECT_EQ(dialog.boxes[0].text, "Need to reboot system.\nReboot Now ?");
    EXPECT_EQ(dialog.boxes[0].caption, "Uninstall complete");
    EXPECT_EQ(dialog.boxes[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(dialog.restartRequests, 0);
    EXPECT_FALSE(IsWindowVisible(dialog.Window())) << "the dialog did not close";
}

TEST_F(UninstallDialogTest, OkThenOkRequestsOneRestartAndCloses) {
    RecordingUninstallDialog dialog(adapters_, IDOK);
    ASSERT_TRUE(dialog.Open(windows_.path()));

    Press(dialog, IDOK);

    ExpectRemoved();
    EXPECT_EQ(dialog.boxes.size(), 1u);
    EXPECT_EQ(dialog.restartRequests, 1);
    EXPECT_FALSE(IsWindowVisible(dialog.Window())) << "the dialog did not close";
}

TEST_F(UninstallDialogTest, InChineseTheCompletionAndQuestionAreBig5) {
    RecordingUninstallDialog dialog(adapters_, IDCANCEL);
    ASSERT_TRUE(dialog.Open(windows_.path()));
    dialog.useChinese = true;

    Press(dialog, IDOK);

    auto big5 = [](const wchar_t* text) {
        char bytes[256];
        WideCharToMultiByte(950, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
        return std::string(bytes);
    };
    // Read back in the same code page they were set in, the bytes come back unchanged.
    EXPECT_EQ(ItemText(dialog.Window(), kPromptText), big5(L"\n\t驅動程式移除完畢！"));
    ASSERT_EQ(dialog.boxes.size(), 1u);
    EXPECT_EQ(dialog.boxes[0].text, big5(L"需要重新啟動電腦。\n現在重新啟動嗎？"));
    EXPECT_EQ(dialog.boxes[0].caption, big5(L"移除完畢"));
    EXPECT_EQ(dialog.boxes[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(dialog.restartRequests, 0);
}

TEST_F(UninstallDialogTest, CancelEscapeAndTheCloseBoxEndWithNothingChanged) {
    {
        RecordingUninstallDialog dialog(adapters_);
        ASSERT_TRUE(dialog.Open(windows_.path()));
        Press(dialog, IDCANCEL);
        EXPECT_FALSE(IsWindowVisible(dialog.Window())) << "Cancel";
    }
    {
        RecordingUninstallDialog dialog(adapters_);
        ASSERT_TRUE(dialog.Open(windows_.path()));
        MSG escape = {dialog.Window(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
        EXPECT_TRUE(IsDialogMessageA(dialog.Window(), &escape));
        EXPECT_FALSE(IsWindowVisible(dialog.Window())) << "Escape";
    }
    {
        RecordingUninstallDialog dialog(adapters_);
        ASSERT_TRUE(dialog.Open(windows_.path()));
        SendMessageA(dialog.Window(), WM_CLOSE, 0, 0);
        // The dialog answers the close box with a posted Cancel.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        EXPECT_FALSE(IsWindowVisible(dialog.Window())) << "close box";
        EXPECT_TRUE(dialog.boxes.empty());
    }
    ExpectNothingChanged();
}

TEST_F(UninstallDialogTest, WithoutAWindowsDirectoryOkRemovesNothing) {
    RecordingUninstallDialog dialog(adapters_);
    ASSERT_TRUE(dialog.Open(""));

    Press(dialog, IDOK);

    ExpectNothingChanged();
    EXPECT_TRUE(dialog.boxes.empty());
    EXPECT_EQ(dialog.restartRequests, 0);
}

}  // namespace

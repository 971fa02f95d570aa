#include "e2e_fixture.h"

#include <windows.h>
#include <commctrl.h>

#include <map>

#include "dialog_units.h"
#include "ui_driver.h"

namespace {

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

LOGFONTW TemplateFont(const std::string& program, int templateId) {
    LOGFONTW font{};
    InitCommonControls();  // the installer's progress bar
    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(templateId), nullptr, &IgnoreMessages, 0);
    EXPECT_NE(dialog, nullptr) << "template " << templateId << " of " << program;
    if (dialog != nullptr) {
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
        DestroyWindow(dialog);
    }
    if (module != nullptr) FreeLibrary(module);
    return font;
}

}  // namespace

void ExpectLayout(HWND dialog, const std::string& program, int templateId, int width, int height,
                  std::initializer_list<ControlLayout> controls) {
    const wchar_t kFont[] = L"新細明體";
    const RECT size = DialogUnitsToPixels(kFont, 10, 0, 0, width, height);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_TRUE(EqualRect(&client, &size)) << "the dialog's size";
    const LONG_PTR style = GetWindowLongPtrA(dialog, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrA(dialog, GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), WS_POPUP | WS_CAPTION | WS_SYSMENU) << "the dialog's style";
    EXPECT_NE(exStyle & WS_EX_DLGMODALFRAME, 0) << "the modal frame";
    EXPECT_NE(exStyle & WS_EX_APPWINDOW, 0) << "the taskbar button";
    // Wine draws another face where this one is missing, with the same
    // metrics: the font the dialog is given tells them apart. Another
    // process's font handle means nothing here, so the dialog is made again
    // in this process from the program's own template.
    const LOGFONTW font = TemplateFont(program, templateId);
    EXPECT_STREQ(font.lfFaceName, kFont) << "the dialog's font";
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -MulDiv(10, GetDeviceCaps(screen, LOGPIXELSY), 72)) << "the dialog's font size";
    ReleaseDC(nullptr, screen);
    for (const ControlLayout& control : controls) {
        const RECT expected = DialogUnitsToPixels(kFont, 10, control.x, control.y, control.width, control.height);
        const RECT actual = ItemRectInClient(dialog, control.id);
        EXPECT_TRUE(EqualRect(&actual, &expected)) << "the place of control " << control.id;
        EXPECT_EQ(GetWindowLongPtrA(GetDlgItem(dialog, control.id), GWL_STYLE) & 0x1F, static_cast<LONG_PTR>(control.kind))
            << "the kind of control " << control.id;
    }
}

void MakeMedium(const std::string& folder) {
    const std::string standIns = FromUnix(VARNEL_STAND_IN_MEDIUM) + "\\";
    for (const std::string& name : GoldenMediumNames())
        EXPECT_TRUE(CopyFileA((standIns + name).c_str(), (folder + name).c_str(), FALSE)) << standIns + name;
}

void EndToEndTest::SetUp() {
    // The machine is the one the run asks for: Windows 98 (4.10), XP (5.1),
    // or XP x64 (5.2) for an x86-64 build.
    char version[16] = {};
    GetEnvironmentVariableA("VARNEL_WINDOWS_VERSION", version, sizeof version);
    const std::map<std::string, DWORD> kReported = {{"win98", 0x0A04}, {"winxp", 0x0105}, {"winxp64", 0x0205}};
    ASSERT_EQ(kReported.count(version), 1u) << "no machine named " << version;
    ASSERT_EQ(GetVersion() & 0xFFFF, kReported.at(version)) << "not a " << version << " prefix";
    // Put back here rather than after the test: a test killed half-way
    // cannot undo its own changes, and the next one does it for it.
    const MachineState made = MadeMachine();
    RestoreMachine(made);
    const MachineChanges left = CompareMachines(made, CaptureMachine());
    ASSERT_TRUE(left.empty()) << "the machine could not be put back as it was made: "
                              << ::testing::PrintToString(left.Describe());
    MakeMedium(medium.path());
}

void EndToEndTest::PlantBoard(const std::string& hardwareId, std::initializer_list<const char*> instances) {
    const std::string key = "Enum\\PCI\\" + hardwareId;
    PutKey(key);
    for (const char* instance : instances) {
        PutValue(key + "\\" + instance, "HardwareID", SzValue("PCI\\" + hardwareId));
        PutValue(key + "\\" + instance, "DeviceDesc", SzValue("Standard PCI Graphics Adapter (VGA)"));
    }
}

namespace {

// Whole seconds of a file's last-write time, as FindFirstFileA reports it.
ULONGLONG LastWriteSeconds(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    FindClose(search);
    return ((ULONGLONG)found.ftLastWriteTime.dwHighDateTime << 32 | found.ftLastWriteTime.dwLowDateTime) / 10000000;
}

}  // namespace

::testing::AssertionResult PlacedLikeTheirSources(const std::string& sourceFolder) {
    const std::string windows = MachineWindowsDirectory();
    for (const GoldenDriverFile& file : GoldenDriverFiles()) {
        const std::string source = sourceFolder + file.source, target = windows + file.target;
        const DWORD attributes = GetFileAttributesA(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return ::testing::AssertionFailure() << target << " is missing";
        if (attributes & FILE_ATTRIBUTE_READONLY) return ::testing::AssertionFailure() << target << " is read-only";
        if (ReadFileBytes(target) != ReadFileBytes(source))
            return ::testing::AssertionFailure() << target << " does not hold " << source;
        if (LastWriteSeconds(target) != LastWriteSeconds(source))
            return ::testing::AssertionFailure() << target << " was last written at " << LastWriteSeconds(target)
                                                 << " s, " << source << " at " << LastWriteSeconds(source) << " s";
    }
    return ::testing::AssertionSuccess();
}

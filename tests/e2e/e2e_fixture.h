#pragma once
// End-to-end tests run the shipped programs on the test prefix's real
// machine. Each test starts from the machine as it was made and plants what
// it needs; the next test undoes its changes.
#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "big5.h"
#include "build_facts.h"
#include "golden.h"
#include "machine_restore.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

inline std::string InstallerPath() { return ShippedProgram(VARNEL_PROGRAMS_DIR, "InstVarnel.exe"); }
inline std::string UninstallerPath() { return ShippedProgram(VARNEL_PROGRAMS_DIR, "UnVarnel.exe"); }

// Fills `folder` with a copy of the session's stand-in medium: the real
// uninstaller, and files whose content names them, so that copies can be
// told apart.
void MakeMedium(const std::string& folder);

// A dialog's table as designed, in dialog units of the programs' font: the
// dialog's size and each control's rectangle and kind (the low bits of its
// style: BS_DEFPUSHBUTTON, BS_PUSHBUTTON, SS_LEFT...).
struct ControlLayout {
    int id, x, y, width, height;
    DWORD kind;
};
// The open dialog of `program` (its template `templateId`) is laid out as its
// table says, in its font, a popup with a caption, system menu, modal frame
// and taskbar button.
void ExpectLayout(HWND dialog, const std::string& program, int templateId, int width, int height,
                  std::initializer_list<ControlLayout> controls);
// Every driver file in the Windows directory holds its source's bytes from
// `sourceFolder`, has the source's last-write time to the second and is not
// read-only.
::testing::AssertionResult PlacedLikeTheirSources(const std::string& sourceFolder);


class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override;

    // A board Windows has enumerated: Enum\PCI\<hardwareId>\<instance> keys.
    void PlantBoard(const std::string& hardwareId, std::initializer_list<const char*> instances);

    TempFolder medium;  // the driver medium, the programs' current folder
};

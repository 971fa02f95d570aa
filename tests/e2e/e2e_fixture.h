#pragma once
// End-to-end tests run the shipped programs on the test prefix's real
// machine. Each test starts from the machine as it was, plants what it needs
// and has every change undone afterwards.
#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "big5.h"
#include "machine_state.h"
#include "temp_folder.h"

// The source files of the driver medium, by the names the installer copies.
extern const char* const kMediumFiles[20];
// Where the driver files go, relative to the Windows directory, as the
// capture spells them (upper case).
extern const char* const kDeployedFiles[20];

std::string ShippedProgram(const char* name);  // InstVarnel.exe, UnVarnel.exe
inline std::string InstallerPath() { return ShippedProgram("InstVarnel.exe"); }
inline std::string UninstallerPath() { return ShippedProgram("UnVarnel.exe"); }

// Fills `folder` with stand-ins for the medium's files; the uninstaller is
// the real one. Each stand-in's content names it, so copies can be told apart.
void MakeMedium(const std::string& folder);
std::string StandInContent(const std::string& sourceName);

// Every driver file in the Windows directory holds its source's bytes from
// `sourceFolder`, has the source's last-write time to the second and is not
// read-only.
::testing::AssertionResult PlacedLikeTheirSources(const std::string& sourceFolder);


class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A board Windows has enumerated: Enum\PCI\<hardwareId>\<instance> keys.
    void PlantBoard(const std::string& hardwareId, std::initializer_list<const char*> instances);

    MachineState original;  // before the test planted anything
    TempFolder medium;      // the driver medium, the programs' current folder

private:
    bool captured_ = false;
};

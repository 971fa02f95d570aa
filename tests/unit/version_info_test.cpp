// The shipped programs' version resources, read back the way Explorer's
// Properties dialog reads them, through version.dll.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "build_facts.h"
#include "golden.h"

namespace {

class VersionResource {
public:
    explicit VersionResource(const char* program) : path_(ShippedProgram(VARNEL_SHIPPED_DIR, program)) {
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeA(path_.c_str(), &handle);
        if (size == 0) return;
        data_.resize(size);
        if (!GetFileVersionInfoA(path_.c_str(), 0, size, data_.data())) data_.clear();
    }

    bool Loaded() const { return !data_.empty(); }
    const std::string& Path() const { return path_; }

    const VS_FIXEDFILEINFO* Fixed() const {
        void* value = nullptr;
        UINT length = 0;
        if (!Query("\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }

    // The languages and code pages of the string blocks, as LOWORD language, HIWORD code page.
    std::vector<DWORD> Translations() const {
        void* value = nullptr;
        UINT length = 0;
        if (!Query("\\VarFileInfo\\Translation", &value, &length)) return {};
        const DWORD* pairs = static_cast<const DWORD*>(value);
        return std::vector<DWORD>(pairs, pairs + length / sizeof(DWORD));
    }

    // A value of the US English, code page 1252 string block; "(missing)" when absent.
    std::string Text(const char* name) const {
        void* value = nullptr;
        UINT length = 0;
        const std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
        if (!Query(query.c_str(), &value, &length)) return "(missing)";
        return static_cast<const char*>(value);
    }

private:
    bool Query(const char* query, void** value, UINT* length) const {
        if (data_.empty()) return false;
        return VerQueryValueA(const_cast<char*>(data_.data()), const_cast<char*>(query), value, length) &&
               *value != nullptr;
    }

    std::string path_;
    std::vector<char> data_;
};

// What each program says of itself; the rest of the block is the same for both.
struct Program {
    const char* file;
    const char* description;
    const char* internalName;
};
constexpr Program kPrograms[] = {
    {"InstVarnel.exe", "ORVA Varnel display driver installer", "InstVarnel"},
    {"UnVarnel.exe", "ORVA Varnel display driver uninstaller", "UnVarnel"},
};
constexpr const char* kTextNames[] = {"CompanyName",  "FileDescription",  "FileVersion", "InternalName",
                                      "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion"};

// Windows 95 reads the block its translation table names: US English in code
// page 1252 is one every Windows 95 reads. A Chinese (Big5) Windows shows the
// same block, where only ASCII reads the same. Numbers and texts carry the
// version the build's project() gives.
TEST(VersionInfoTest, EachProgramDescribesItselfInAsciiInAUsEnglishBlockWithTheProjectVersion) {
    int major = -1, minor = -1, patch = -1;
    ASSERT_EQ(std::sscanf(VARNEL_PROJECT_VERSION, "%d.%d.%d", &major, &minor, &patch), 3);
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.file);
        const VersionResource info(program.file);
        ASSERT_TRUE(info.Loaded()) << "no version resource in " << info.Path();
        EXPECT_EQ(info.Translations(), std::vector<DWORD>{MAKELONG(0x0409, 1252)});
        const struct {
            const char* name;
            std::string text;
        } kTexts[] = {
            {"CompanyName", "ORVA"},
            {"ProductName", "ORVA Varnel Windows 9X / ME Display Drivers"},
            {"FileDescription", program.description},
            {"InternalName", program.internalName},
            {"OriginalFilename", program.file},
            {"FileVersion", VARNEL_PROJECT_VERSION},
            {"ProductVersion", VARNEL_PROJECT_VERSION},
        };
        for (const auto& expected : kTexts) EXPECT_EQ(info.Text(expected.name), expected.text) << expected.name;
        EXPECT_EQ(info.Text("LegalCopyright").rfind("Copyright (C) ", 0), 0u) << info.Text("LegalCopyright");
        for (const char* name : kTextNames) {
            const std::string text = info.Text(name);
            EXPECT_FALSE(text.empty()) << name;
            for (unsigned char c : text) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << name << ": " << text;
        }

        const VS_FIXEDFILEINFO* fixed = info.Fixed();
        ASSERT_NE(fixed, nullptr) << "no fixed version block in " << info.Path();
        const DWORD high = MAKELONG(minor, major), low = MAKELONG(0, patch);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, high);
        EXPECT_EQ(fixed->dwFileVersionLS, low);
        EXPECT_EQ(fixed->dwProductVersionMS, high);
        EXPECT_EQ(fixed->dwProductVersionLS, low);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
        EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask & (VS_FF_DEBUG | VS_FF_PRERELEASE), 0u);
    }
}

}  // namespace

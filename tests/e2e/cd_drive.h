#pragma once
// A drive of the Wine machine that Windows sees as a CD-ROM drive, holding a
// folder of the test's own. Wine's mount manager makes it (the dosdevices
// link and the type "cdrom" under HKLM\Software\Wine\Drives) and removes it
// again when the object goes, so the prefix is left as it was.
#include <string>

class CdDrive {
public:
    // `letter` in lower case; `folder` a Windows path. A drive of that letter
    // left by a test killed half-way is replaced.
    CdDrive(char letter, const std::string& folder);
    ~CdDrive();
    CdDrive(const CdDrive&) = delete;
    CdDrive& operator=(const CdDrive&) = delete;

    bool defined() const { return defined_; }
    std::string root() const;  // "R:\"

private:
    char letter_;
    bool defined_ = false;
};

#include "display_class_key.h"

#include "registry_access.h"

namespace {

// One mode key: colour depth, resolution, and the refresh list of pass 1
// and of pass 2 for mode groups 1 and 2; nullptr where the pass leaves the
// key alone. The texts are the driver's own, blanks included.
struct ModeEntry {
    const char* depth;
    const char* resolution;
    const char* pass1;
    const char* group1;
    const char* group2;
};

constexpr ModeEntry kModeTable[] = {
    {"8",  "640,480",   "60,70,72,75,85,100,120,140,144,150,170,200, 240", nullptr,                                      nullptr},
    {"8",  "800,600",   "60,70,72,75,85,100,120,140,144,170,200, 240",     nullptr,                                      nullptr},
    {"8",  "1024,768",  "60,70,72,75,85,100,120,140,144,150,170",          "60,70,72,75,85,100,120,140,144,150,170,200", "60,70,72,75,85,100,120,140,144,150,170,200,240"},
    {"8",  "1152,864",  "60,70,72,75,85,100,120,140,144,150",              "60,70,72,75,85,100,120,140,144,150,170",     "60,70,72,75,85,100,120,140,144,150,170,200"},
    {"8",  "1280,720",  nullptr,                                           "60,70,72,75,85,100,120,140,144,150",         "60,70,72,75,85,100,120,140,144,150,170"},
    {"8",  "1280,960",  nullptr,                                           "60,70,72,75,85,100,120,140,144,150",         "60,70,72,75,85,100,120,140,144,150,170"},
    {"8",  "1280,1024", "60,70,72,75,85,100,120",                          "60,70,72,75,85,100,120,140,144,150",         "60,70,72,75,85,100,120,140,144,150,170"},
    {"8",  "1600,900",  nullptr,                                           "60,70,72,75,85,100,120",                     "60,70,72,75,85,100,120,140,144,150"},
    {"8",  "1600,1200", "60,70,72,75,85",                                  "60,70,72,75,85,100",                         "60,70,72,75,85,100,120"},
    {"8",  "1920,1080", "60,70,72,75,85",                                  "60,70,72,75,85,100",                         "60,70,72,75,85,100"},
    {"8",  "1920,1200", "60,70,72,75",                                     "60,70,72,75,85",                             "60,70,72,75,85,100"},
    {"8",  "1920,1440", nullptr,                                           "60,70,72,75",                                "60,70,72,75,85"},
    {"8",  "2048,1536", nullptr,                                           "60",                                         "60,70,72,75"},
    {"16", "640,480",   "60,70,72,75,85,100,120,140,144,150,170",          nullptr,                                      nullptr},
    {"16", "800,600",   "60,70,72,75,85,100,120,140,144",                  nullptr,                                      nullptr},
    {"16", "1024,768",  "60,70,72,75,85,100,120,140,144",                  nullptr,                                      nullptr},
    {"16", "1152,864",  "60,70,72,75,85,100,120,140,144",                  nullptr,                                      nullptr},
    {"16", "1280,720",  nullptr,                                           "60,70,72,75,85,100,120",                     "60,70,72,75,85,100,120,140,150"},
    {"16", "1280,960",  nullptr,                                           "60,70,72,75,85,100,120",                     "60,70,72,75,85,100,120,140,150"},
    {"16", "1280,1024", "60,70,72,75,85,100",                              nullptr,                                      nullptr},
    {"16", "1600,900",  nullptr,                                           "60,70,72,75,85",                             "60,70,72,75,85,100,120"},
    {"16", "1600,1200", "60,70,72,75",                                     nullptr,                                      nullptr},
    {"16", "1920,1080", "60,70,72",                                        nullptr,                                      nullptr},
    {"16", "1920,1200", "60",                                              nullptr,                                      nullptr},
    {"16", "1920,1440", nullptr,                                           "60,70",                                      "60,70,75"},
    {"16", "2048,1536", nullptr,                                           "60",                                         "60"},
    {"32", "640,480",   "60,70,72,75,85,100,120,140,144,150",              nullptr,                                      nullptr},
    {"32", "800,600",   "60,70,72,75,85,100,120,140,144",                  nullptr,                                      nullptr},
    {"32", "1024,768",  "60,70,72,75,85,100,120,140,144",                  "60,70,72,75,85,100,120,140,144,150,170",     "60,70,72,75,85,100,120,140,144,150,170,200"},
    {"32", "1152,864",  "60,70,72,75,85,100,120,140",                      "60,70,72,75,85,100,120,140,150",             "60,70,72,75,85,100,120,140,150,170"},
    {"32", "1280,720",  nullptr,                                           "60,70,72,75,85,100,120",                     "60,70,72,75,85,100,120,140,150"},
    {"32", "1280,960",  nullptr,                                           "60,70,72,75,85,100,120",                     "60,70,72,75,85,100,120,140,150"},
    {"32", "1280,1024", "60,70,72,75,85,100",                              "60,70,72,75,85,100,120",                     "60,70,72,75,85,100,120,140,150"},
    {"32", "1600,900",  nullptr,                                           "60,70,72,75,85",                             "60,70,72,75,85,100,120"},
    {"32", "1600,1200", "60,70,72,75",                                     "60,70,72,75,85",                             "60,70,72,75,85,100"},
    {"32", "1920,1080", "60,70,72",                                        "60,70,72,75",                                "60,70,72,75,85"},
    {"32", "1920,1200", "60",                                              "60,70",                                      "60,70,72,75,85"},
    {"32", "1920,1440", nullptr,                                           "60",                                         "60,70,75"},
    {"32", "2048,1536", nullptr,                                           nullptr,                                      "60"},
};

// Rows a pass writes; with `pass` the group's column, the keys a board of
// that group ends with.
constexpr int CountRows(const char* ModeEntry::*column, const char* ModeEntry::*pass = nullptr) {
    int count = 0;
    for (const ModeEntry& entry : kModeTable) {
        if (entry.*column != nullptr || (pass != nullptr && entry.*pass != nullptr)) ++count;
    }
    return count;
}
static_assert(CountRows(&ModeEntry::pass1) == 24, "pass 1 has 24 rows");
static_assert(CountRows(&ModeEntry::group1) == 26, "pass 2 has 26 rows for group 1");
static_assert(CountRows(&ModeEntry::group2) == 27, "pass 2 has 27 rows for group 2");
static_assert(CountRows(&ModeEntry::group1, &ModeEntry::pass1) == 38, "a group-1 board has 38 refresh lists");
static_assert(CountRows(&ModeEntry::group2, &ModeEntry::pass1) == 39, "a group-2 board has 39 refresh lists");

constexpr char kModesKey[] = "\\MODES\\";
constexpr char kVgaDepth[] = "4";
constexpr char kVgaResolution[] = "640,480";
static_assert(TextLength(kVgaDepth) <= LongestText(kModeTable, &ModeEntry::depth) &&
                  TextLength(kVgaResolution) <= LongestText(kModeTable, &ModeEntry::resolution),
              "the 16-colour key is no longer than the table's");

// The class key, MODES, a colour depth and a resolution.
using ModeKeyPath = FixedText<DisplayClassKeyPath::kCapacity + TextLength(kModesKey) +
                              LongestText(kModeTable, &ModeEntry::depth) + 1 +
                              LongestText(kModeTable, &ModeEntry::resolution)>;

ModeKeyPath ModeKey(DisplayClassIndex index, const char* depth, const char* resolution) {
    return ModeKeyPath(DisplayClassKey(index), kModesKey, depth, "\\", resolution);
}

void WriteRefreshList(DisplayClassIndex index, const ModeEntry& entry, const char* refreshList) {
    if (refreshList == nullptr) return;
    WriteRegistryString(ModeKey(index, entry.depth, entry.resolution), "", refreshList);
}

}  // namespace

void WriteBaseModes(DisplayClassIndex index) {
    const ModeKeyPath vgaKey = ModeKey(index, kVgaDepth, kVgaResolution);
    WriteRegistryString(vgaKey, "drv", "vga.drv");
    WriteRegistryString(vgaKey, "vdd", "*vdd");
    for (const ModeEntry& entry : kModeTable) WriteRefreshList(index, entry, entry.pass1);
}

void WriteGroupModes(DisplayClassIndex index, int modeGroup) {
    if (modeGroup != 1 && modeGroup != 2) return;
    for (const ModeEntry& entry : kModeTable)
        WriteRefreshList(index, entry, modeGroup == 1 ? entry.group1 : entry.group2);
}

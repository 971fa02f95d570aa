#include "adapter_registration.h"

#include <iterator>

#include "driver_value.h"
#include "install_contract.h"
#include "install_dialog.h"
#include "registry_access.h"

namespace {

// Fixed by the registry layout: "InfSection" texts and instance names are
// read into buffers of this size, so longer ones do not count.
constexpr int kTextBufferSize = 1024;

// The fixed instance is written for every board whatever instances Windows
// made; the uninstaller finds the class key again through its "Driver".
static_assert(sizeof kFixedInstance <= kTextBufferSize, "the fixed instance is one of the instance names");

// Enum\PCI\, the board's hardware id, a backslash and one of its instances
// with a backslash of its own.
using InstanceKeyPath =
    FixedText<TextLength(kPciEnumKey) + 1 + (kAdapterKeyNameSize - 1) + 1 + (kTextBufferSize - 1) + 1>;

struct ModelProfile {
    AdapterModel model;
    const char* boardName;
    const char* infSection;
    const char* matchingDeviceId;
    int modeGroup;
};

// Model 5 is the device 0150 board and model 6 the 0110 one.
constexpr ModelProfile kModelProfiles[] = {
    {1, "ORVA Varnel Q2",      "Q2",     "PCI\\VEN_10DE&DEV_0028", 1},
    {2, "ORVA Varnel Q2 Plus", "Q2PLUS", "PCI\\VEN_10DE&DEV_0029", 1},
    {3, "ORVA Varnel Q5",      "Q5",     "PCI\\VEN_10DE&DEV_0100", 2},
    {4, "ORVA Varnel Q5D",     "Q5D",    "PCI\\VEN_10DE&DEV_0101", 2},
    {5, "ORVA Varnel Q6 Pro",  "Q6PRO",  "PCI\\VEN_10DE&DEV_0150", 2},
    {6, "ORVA Varnel Q6 Lite", "Q6LITE", "PCI\\VEN_10DE&DEV_0110", 2},
};

// A missing or doubled row would leave a board unregistered or bound to the
// wrong model's tag.
constexpr bool ProfilesFollowModelNumbers() {
    AdapterModel expected = 1;
    for (const ModelProfile& profile : kModelProfiles) {
        if (profile.model != expected++) return false;
    }
    return expected == 7;
}
static_assert(ProfilesFollowModelNumbers(), "one profile per model 1 to 6, in model order");

struct NamedText {
    const char* name;
    const char* text;
};

struct KeyText {
    const char* keyPath;
    const char* name;
    const char* text;
};

constexpr unsigned char kConfigFlags[4] = {0x00, 0x00, 0x00, 0x00};
constexpr unsigned char kChipId[6] = {0x00, 0x40, 0x11, 0x20, 0x00, 0x00};

// The DEFAULT subkey's texts, after its "CHIPID".
constexpr NamedText kDefaultTexts[] = {
    {"DDC",         "1"},
    {"drv",         "nvdisp.drv"},
    {"drv2",        "nvdisp.drv"},
    {"minivdd",     "nvmini.vxd"},
    {"minivdd2",    "nvmini2.vxd"},
    {"Mode",        "16,640,480"},
    {"RefreshRate", "-1"},
    {"vdd",         "*vdd"},
};

constexpr auto kAgpVxdKey = SubkeyPath(kVxdKey, kAgpVxd);

// Machine-wide, yet written with every board: the OpenGL driver, the
// keyboard repeat (the machine's branch, not the user's) and the AGP VxD.
constexpr KeyText kDriverCompanions[] = {
    {kOpenGlDriversKey,         kOpenGlDriver,   "nvopengl.dll"},
    {"Control Panel\\Keyboard", "KeyBoardSpeed", "31"},
    {"Control Panel\\Keyboard", "KeyBoardDelay", "0"},
    {kAgpVxdKey,                "StaticVxD",     "vgartd.vxd"},
};

const ModelProfile* ProfileFor(AdapterModel model) {
    for (const ModelProfile& profile : kModelProfiles) {
        if (profile.model == model) return &profile;
    }
    return nullptr;
}

void WriteTexts(const char* keyPath, const NamedText* texts, const NamedText* end) {
    for (; texts != end; ++texts) WriteRegistryString(keyPath, texts->name, texts->text);
}

void WriteInstanceValues(const InstanceKeyPath& instanceKey, const ModelProfile& profile,
                         const DriverValueText& driver) {
    const NamedText texts[] = {
        {"Class",      "DISPLAY"},
        {"DeviceDesc", profile.boardName},
        {kDriverValue, driver},
        {"Mfg",        "ORVA"},
    };
    WriteTexts(instanceKey, std::begin(texts), std::end(texts));
    WriteRegistryBinary(instanceKey, "ConfigFlags", kConfigFlags, sizeof kConfigFlags);
}

void WriteClassValues(const DisplayClassKeyPath& classKey, const ModelProfile& profile) {
    const NamedText texts[] = {
        {"DriverDesc",       profile.boardName},
        {"InfSection",       profile.infSection},
        {"MatchingDeviceId", profile.matchingDeviceId},
        {"DevLoader",        "*vdd"},
        {"InfPath",          "VARNEL.INF"},
        {"ProviderName",     "ORVA"},
        {"Ver",              "4.0"},
    };
    WriteTexts(classKey, std::begin(texts), std::end(texts));

    const auto directDraw = DisplayClassSubkey(classKey, "\\NVIDIA\\DirectDraw");
    WriteRegistryDword(directDraw, "OverlayMode", 1);
    WriteRegistryDword(directDraw, "OverlayColorControlEnable", 1);

    const auto defaults = DisplayClassSubkey(classKey, "\\DEFAULT");
    WriteRegistryBinary(defaults, "CHIPID", kChipId, sizeof kChipId);
    WriteTexts(defaults, std::begin(kDefaultTexts), std::end(kDefaultTexts));

    constexpr auto kHandler = Joined("\\shellex\\PropertySheetHandlers\\", kCplExtensionName);
    WriteRegistryString(DisplayClassSubkey(classKey, kHandler.text), "", kCplExtensionClsid);
}

// An install cut short after creating a board's display-class key, but
// before tagging it with "InfSection", leaves a key the search cannot
// recognise: it would bind the board to the next free number and leave this
// one behind for good (the uninstaller removes only the key "Driver"
// names). Such a key holds nothing the install writes after "DriverDesc":
// no subkey and no value but that one, the board's own name. Empty, it is
// only taken by the board whose fixed instance names it (the instance got
// "Driver" first). Every value counts, readable or not.
bool IsUnfinishedClassKey(DisplayClassIndex index, const ModelProfile& profile, bool emptyWillDo) {
    const DisplayClassKeyPath key = DisplayClassKey(index);
    DWORD subkeys = 0, values = 0;
    if (!CountRegistryEntries(key, subkeys, values) || subkeys != 0 || values > 1) return false;
    if (values == 0) return emptyWillDo;
    char text[kTextBufferSize];
    return ReadRegistryValue(key, "DriverDesc", text, sizeof text) && TextsEqual(text, profile.boardName);
}

struct ClassKeySearch {
    DisplayClassIndex tagged = -1;      // the first key with the tag
    DisplayClassIndex unfinished = -1;  // the first untagged one an install cut short left
    DisplayClassIndex lowestFree = kNoFreeDisplayClassIndex;
};

// The walk over the fifty numbers: an unreadable tag reads as the empty
// text, present and not matching.
ClassKeySearch SearchClassKeys(const char* infSectionTag, const ModelProfile* profile) {
    ClassKeySearch search;
    for (DisplayClassIndex index = 0; index < kDisplayClassKeyCount; ++index) {
        const DisplayClassKeyPath key = DisplayClassKey(index);
        if (RegistryKeyExists(key)) {
            char infSection[kTextBufferSize];
            if (ReadRegistryValue(key, "InfSection", infSection, sizeof infSection)) {
                if (TextsEqual(infSection, infSectionTag)) {
                    search.tagged = index;
                    return search;
                }
            } else if (profile != nullptr && search.unfinished < 0 && IsUnfinishedClassKey(index, *profile, false)) {
                search.unfinished = index;
            }
        } else if (index < search.lowestFree) {
            search.lowestFree = index;
        }
    }
    return search;
}

// The board's class key: one carrying its model's tag; without one, a key
// an install cut short left unfinished (first the one this board's fixed
// instance names, then any other of the model's); else the lowest free
// number. A finished key wins, so that boards of one model keep sharing one
// key whatever order they are registered in.
DisplayClassIndex ChooseDisplayClassIndex(const InstanceKeyPath& fixedInstance, const ModelProfile& profile) {
    const ClassKeySearch search = SearchClassKeys(profile.infSection, &profile);
    if (search.tagged >= 0) return search.tagged;
    char driver[kTextBufferSize];
    DisplayClassIndex named = 0;
    // Only a number the search walks can have been passed over by it.
    if (ReadRegistryValue(fixedInstance, kDriverValue, driver, sizeof driver) &&
        ClassIndexOfDriverValue(driver, named) && named < kDisplayClassKeyCount &&
        IsUnfinishedClassKey(named, profile, true))
        return named;
    return search.unfinished >= 0 ? search.unfinished : search.lowestFree;
}

}  // namespace

DisplayClassIndex FindDisplayClassIndex(const char* infSectionTag) {
    const ClassKeySearch search = SearchClassKeys(infSectionTag, nullptr);
    return search.tagged >= 0 ? search.tagged : search.lowestFree;
}

void InstallDialog::RegisterDisplayAdapter(AdapterModel model, const char* adapterKeyName) {
    const ModelProfile* profile = ProfileFor(model);
    // Without a profile there is nothing to bind to; without a name the
    // instance loop would walk Enum\PCI itself and stamp every other
    // device's hardware key as this board.
    if (profile == nullptr || adapterKeyName == nullptr || adapterKeyName[0] == '\0') return;

    const InstanceKeyPath hardwareKey(kPciEnumKey, "\\", adapterKeyName, "\\");
    const DisplayClassIndex index = ChooseDisplayClassIndex(InstanceKeyPath(hardwareKey, kFixedInstance), *profile);
    const DisplayClassKeyPath classKey = DisplayClassKey(index);
    DriverValueText driver(kDriverValuePrefix);
    driver.AppendFourDigits(index);

    char instance[kTextBufferSize];
    for (DWORD n = 0; EnumRegistrySubkey(n, instance, sizeof instance, hardwareKey); ++n)
        WriteInstanceValues(InstanceKeyPath(hardwareKey, instance, "\\"), *profile, driver);
    WriteInstanceValues(InstanceKeyPath(hardwareKey, kFixedInstance), *profile, driver);

    WriteClassValues(classKey, *profile);
    WriteBaseModes(index);
    for (const KeyText& entry : kDriverCompanions)
        WriteRegistryString(entry.keyPath, entry.name, entry.text);
    WriteGroupModes(index, profile->modeGroup);
    WriteSystemSettings();
}

#include "adapter_registration.h"

#include <iterator>

#include "display_modes.h"
#include "driver_value.h"
#include "install_dialog.h"
#include "registry_access.h"
#include "system_settings.h"

namespace {

// Fixed by the registry layout: "InfSection" texts and instance names are
// read into buffers of this size, so longer ones do not count.
constexpr int kTextBufferSize = 1024;

constexpr char kPciEnumKey[] = "Enum\\PCI\\";
// Written for every board whatever instances Windows made; the uninstaller
// finds the class key again through this one's "Driver".
constexpr char kFixedInstance[] = "000800";
static_assert(sizeof kFixedInstance <= kTextBufferSize, "the fixed instance is one of the instance names");

// Enum\PCI\, the board's hardware id, a backslash and one of its instances
// with a backslash of its own.
using InstanceKeyPath =
    FixedText<TextLength(kPciEnumKey) + (kAdapterKeyNameSize - 1) + 1 + (kTextBufferSize - 1) + 1>;

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

// Machine-wide, yet written with every board: the OpenGL driver, the
// keyboard repeat (the machine's branch, not the user's) and the AGP VxD.
constexpr KeyText kDriverCompanions[] = {
    {"Software\\Microsoft\\Windows\\CurrentVersion\\OpenGLdrivers", "RIVATNT",       "nvopengl.dll"},
    {"Control Panel\\Keyboard",                                    "KeyBoardSpeed", "31"},
    {"Control Panel\\Keyboard",                                    "KeyBoardDelay", "0"},
    {"System\\CurrentControlSet\\Services\\VxD\\VGARTD",           "StaticVxD",     "vgartd.vxd"},
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
        {"Driver",     driver},
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

    const auto handler = DisplayClassSubkey(classKey, "\\shellex\\PropertySheetHandlers\\ORVA Varnel CPL Extension");
    WriteRegistryString(handler, "", kCplExtensionClsid);
}

// The class key this board's fixed instance already names, when an install
// was cut short after creating that key but before writing its
// "InfSection": the fixed instance got "Driver" first, so it names the key,
// but the search cannot recognise a key without the tag and would bind the
// board to the next free number instead, leaving this one behind for good
// (the uninstaller removes only the key "Driver" names). A key counts as
// that unfinished one only while it holds nothing the install writes after
// "DriverDesc": no tag, no subkeys, no other board's name.
bool FindUnfinishedClassKey(const InstanceKeyPath& fixedInstance, const ModelProfile& profile,
                            DisplayClassIndex& index) {
    char driver[kTextBufferSize];
    if (!ReadRegistryValue(fixedInstance, "Driver", driver, sizeof driver)) return false;
    DisplayClassIndex named = 0;
    // Only a number the search walks can have been passed over by it.
    if (!ClassIndexOfDriverValue(driver, named) || named >= kDisplayClassKeyCount) return false;

    const DisplayClassKeyPath key = DisplayClassKey(named);
    char text[kTextBufferSize];
    if (!RegistryKeyExists(key) || EnumRegistrySubkey(0, text, sizeof text, key) ||
        ReadRegistryValue(key, "InfSection", text, sizeof text))
        return false;
    if (ReadRegistryValue(key, "DriverDesc", text, sizeof text) && !TextsEqual(text, profile.boardName))
        return false;
    index = named;
    return true;
}

}  // namespace

DisplayClassKeyPath DisplayClassKey(DisplayClassIndex index) {
    return DisplayClassKeyPath(kDisplayClassRoot).AppendFourDigits(index);
}

DisplayClassIndex FindDisplayClassIndex(const char* infSectionTag) {
    DisplayClassIndex lowestFree = kNoFreeDisplayClassIndex;
    for (DisplayClassIndex index = 0; index < kDisplayClassKeyCount; ++index) {
        const DisplayClassKeyPath key = DisplayClassKey(index);
        if (RegistryKeyExists(key)) {
            // An unreadable tag reads as the empty text: present, not matching.
            char infSection[kTextBufferSize];
            ReadRegistryValue(key, "InfSection", infSection, sizeof infSection);
            if (TextsEqual(infSection, infSectionTag)) return index;
        } else if (index < lowestFree) {
            lowestFree = index;
        }
    }
    return lowestFree;
}

void InstallDialog::RegisterDisplayAdapter(AdapterModel model, const char* adapterKeyName) {
    const ModelProfile* profile = ProfileFor(model);
    // Without a profile there is nothing to bind to; without a name the
    // instance loop would walk Enum\PCI itself and stamp every other
    // device's hardware key as this board.
    if (profile == nullptr || adapterKeyName == nullptr || adapterKeyName[0] == '\0') return;

    const InstanceKeyPath hardwareKey(kPciEnumKey, adapterKeyName, "\\");
    DisplayClassIndex index = 0;
    if (!FindUnfinishedClassKey(InstanceKeyPath(hardwareKey, kFixedInstance), *profile, index))
        index = FindDisplayClassIndex(profile->infSection);
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

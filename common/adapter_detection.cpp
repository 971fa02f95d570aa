#include "adapter_detection.h"

#include "fixed_text.h"
#include "registry_access.h"

namespace {

constexpr char kPciEnumKey[] = "Enum\\PCI\\";
constexpr char kVendorPart[] = "VEN_10DE";
constexpr int kPartLength = 8;
constexpr int kDevicePartOffset = 9;  // character 8, the ampersand, is not examined

struct ModelRow {
    AdapterModel model;
    const char* devicePart;
};

// In the order the names are compared; device 0150 is model 5 and 0110 model 6.
constexpr ModelRow kModelTable[] = {
    {1, "DEV_0028"},
    {2, "DEV_0029"},
    {3, "DEV_0100"},
    {4, "DEV_0101"},
    {5, "DEV_0150"},
    {6, "DEV_0110"},
};

void CopySlot(AdapterKeyName& slot, const AdapterKeyName& name) {
    for (int i = 0; i < kAdapterKeyNameSize; ++i) slot[i] = name[i];
}

}  // namespace

AdapterModel ClassifyAdapter(const char* keyName) {
    if (TextLength(keyName) < kDevicePartOffset + kPartLength) return 0;
    if (!StartsWith(keyName, kVendorPart)) return 0;
    for (const ModelRow& row : kModelTable) {
        if (StartsWith(keyName + kDevicePartOffset, row.devicePart)) return row.model;
    }
    return 0;
}

void DetectAdapters(AdapterTable& table) {
    // Names are read into a work slot of their own: with all sixteen slots
    // taken there is no slot left to read into.
    AdapterKeyName work;
    for (DWORD index = 0; table.count < kAdapterTableSlots; ++index) {
        if (!EnumRegistrySubkey(index, work, sizeof work, kPciEnumKey)) return;
        if (ClassifyAdapter(work) != 0) CopySlot(table.slots[table.count++], work);
    }
}

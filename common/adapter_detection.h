#pragma once
// Which of the six supported boards Windows has enumerated on the PCI bus,
// found by the names of the hardware-id keys under Enum\PCI.

constexpr int kAdapterKeyNameSize = 1024;
constexpr int kAdapterTableSlots = 16;

// One hardware-id key name, zero-terminated, e.g. VEN_10DE&DEV_0028&SUBSYS_...
using AdapterKeyName = char[kAdapterKeyNameSize];

// 0 for a name that is no supported board, else the board model 1 to 6.
using AdapterModel = int;

struct AdapterTable {
    AdapterKeyName slots[kAdapterTableSlots];
    int count;
};

AdapterModel ClassifyAdapter(const char* keyName);

// Fills `table` (empty on entry) with the supported boards in the registry's
// enumeration order. Boards past the sixteenth are left out.
void DetectAdapters(AdapterTable& table);

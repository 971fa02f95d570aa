#pragma once
// A board's display-class key, System\CurrentControlSet\Services\Class\Display\NNNN:
// its number and path, and the mode tables below it. The board's
// registration (adapter_registration.cpp) and the tables themselves
// (display_modes.cpp) both stand on this and neither on the other.
#include <stddef.h>

#include "fixed_text.h"
#include "install_contract.h"

// NNNN of the key: 0 to 49, or 99 when all fifty numbers are taken by
// other models' keys.
using DisplayClassIndex = int;

constexpr int kDisplayClassKeyCount = 50;
constexpr DisplayClassIndex kNoFreeDisplayClassIndex = 99;

inline constexpr auto kDisplayClassRoot = Joined(SubkeyPath(kClassKey, "Display").text, "\\");
using DisplayClassKeyPath = FixedText<TextLength(kDisplayClassRoot) + 4>;

// The root and the number in four digits: 7 gives ...\0007 and 99 gives ...\0099.
inline DisplayClassKeyPath DisplayClassKey(DisplayClassIndex index) {
    return DisplayClassKeyPath(kDisplayClassRoot.text).AppendFourDigits(index);
}

// A key below a board's display-class key, `subkey` beginning with a backslash.
template <size_t N>
FixedText<DisplayClassKeyPath::kCapacity + N - 1> DisplayClassSubkey(const DisplayClassKeyPath& classKey,
                                                                      const char (&subkey)[N]) {
    return FixedText<DisplayClassKeyPath::kCapacity + N - 1>(classKey, subkey);
}

// The MODES subtree: one key per colour depth and resolution whose default
// value lists the refresh rates offered there. Pass 1 is the same for every
// board; pass 2 overlays the board's mode group, replacing some lists and
// adding modes.

// The 16-colour key, then every pass-1 mode.
void WriteBaseModes(DisplayClassIndex index);
// Every pass-2 mode of `modeGroup` (1 or 2); any other group writes nothing.
void WriteGroupModes(DisplayClassIndex index, int modeGroup);

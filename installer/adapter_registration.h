#pragma once
// Which display-class key a board's driver settings live in. The number is
// searched afresh for every board, so boards of one model share one key and
// each other model gets a key of its own.
#include "fixed_text.h"

// NNNN of System\CurrentControlSet\Services\Class\Display\NNNN: 0 to 49, or
// 99 when all fifty numbers are taken by other models' keys.
using DisplayClassIndex = int;

constexpr int kDisplayClassKeyCount = 50;
constexpr DisplayClassIndex kNoFreeDisplayClassIndex = 99;

inline constexpr char kDisplayClassRoot[] = "System\\CurrentControlSet\\Services\\Class\\Display\\";
using DisplayClassKeyPath = FixedText<TextLength(kDisplayClassRoot) + 4>;

// System\CurrentControlSet\Services\Class\Display\ and the number in four
// digits: 7 gives ...\0007 and 99 gives ...\0099.
DisplayClassKeyPath DisplayClassKey(DisplayClassIndex index);

// A key below a board's display-class key, `subkey` beginning with a backslash.
template <size_t N>
FixedText<DisplayClassKeyPath::kCapacity + N - 1> DisplayClassSubkey(const DisplayClassKeyPath& classKey,
                                                                      const char (&subkey)[N]) {
    return FixedText<DisplayClassKeyPath::kCapacity + N - 1>(classKey, subkey);
}

// The first key whose "InfSection" is exactly `infSectionTag`; without one,
// the lowest number whose key is absent.
DisplayClassIndex FindDisplayClassIndex(const char* infSectionTag);

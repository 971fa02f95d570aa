#pragma once
// The block copies, fills and comparisons the compiler calls on its own,
// written out for the shipped programs, which have no C library to take
// them from (common/freestanding_start.cpp names them memcpy, memmove,
// memset and memcmp). A file that includes this must be compiled so that
// the loops are not turned back into calls to those very functions.
#include <stddef.h>

namespace freestanding {

inline void* CopyBytes(void* target, const void* source, size_t count) {
    auto* to = static_cast<unsigned char*>(target);
    const auto* from = static_cast<const unsigned char*>(source);
    while (count-- > 0) *to++ = *from++;
    return target;
}

// Overlapping blocks are copied from the end that is not overwritten first.
inline void* MoveBytes(void* target, const void* source, size_t count) {
    auto* to = static_cast<unsigned char*>(target);
    const auto* from = static_cast<const unsigned char*>(source);
    if (to < from) {
        while (count-- > 0) *to++ = *from++;
    } else {
        while (count-- > 0) to[count] = from[count];
    }
    return target;
}

inline void* FillBytes(void* target, int value, size_t count) {
    auto* to = static_cast<unsigned char*>(target);
    while (count-- > 0) *to++ = static_cast<unsigned char>(value);
    return target;
}

inline int CompareBytes(const void* a, const void* b, size_t count) {
    const auto* left = static_cast<const unsigned char*>(a);
    const auto* right = static_cast<const unsigned char*>(b);
    for (; count > 0; --count, ++left, ++right) {
        if (*left != *right) return *left < *right ? -1 : 1;
    }
    return 0;
}

}  // namespace freestanding

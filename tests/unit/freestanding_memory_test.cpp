// The shipped programs' own block move: the compiler calls it for any copy
// it likes, overlapping ones included, and it must give what a copy through
// a spare buffer gives, whichever way the blocks overlap.
#include <gtest/gtest.h>

#include <string>

#include "freestanding_memory.h"

namespace {

TEST(FreestandingMemoryTest, OverlappingMovesInBothDirectionsKeepEveryByte) {
    struct Move {
        size_t to, from;
        const char* expected;
    };
    const Move moves[] = {
        {3, 0, "0120123456789def"},  // onto a later part of itself
        {0, 3, "3456789abcabcdef"},  // onto an earlier part
    };
    for (const Move& move : moves) {
        std::string buffer = "0123456789abcdef";
        EXPECT_EQ(freestanding::MoveBytes(&buffer[move.to], &buffer[move.from], 10), &buffer[move.to]);
        EXPECT_EQ(buffer, move.expected) << move.to << " from " << move.from;
    }
}

}  // namespace

// Passes split in pieces on threads: every item in exactly one piece, in order, and a piece's
// exception rethrown to the caller once all pieces have ended, once.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "platform/smxParallel.h"

namespace smx::test {
namespace {

TEST(Parallel, PiecesCoverTheItemsInOrderAndRethrowAfterAllEnded) {
    for (std::size_t Count : {0u, 1u, 5u, 1000u}) {
        std::vector<std::vector<std::size_t>> Seen(4);
        RunChunks(Count, 4, [&](std::size_t Chunk, std::size_t Begin, std::size_t End) {
            for (std::size_t i = Begin; i < End; ++i)
                Seen[Chunk].push_back(i);
        });
        std::vector<std::size_t> All;
        for (const auto& S : Seen)
            All.insert(All.end(), S.begin(), S.end());
        ASSERT_EQ(All.size(), Count);
        for (std::size_t i = 0; i < Count; ++i)
            EXPECT_EQ(All[i], i);
    }
    std::atomic<int> Ended{0};
    EXPECT_THROW(RunChunks(100, 4,
                           [&](std::size_t Chunk, std::size_t, std::size_t) {
                               ++Ended;
                               if (Chunk == 1) throw std::runtime_error("piece");
                           }),
                 std::runtime_error);
    EXPECT_EQ(Ended, 4);
    // A failed preparation runs no piece and is reported once; pieces never waited for are dropped.
    TPieceWork Failing(
        100, 4, [] { throw std::runtime_error("prepare"); },
        [&](std::size_t, std::size_t, std::size_t) { ++Ended; });
    EXPECT_THROW(Failing.Wait(), std::runtime_error);
    EXPECT_NO_THROW(Failing.Wait());
    EXPECT_EQ(Ended, 4);
    {
        TPieceWork Dropped(100, 16, nullptr, [&](std::size_t, std::size_t, std::size_t) { ++Ended; });
    }
    EXPECT_LE(Ended, 4 + 16);
}

} // namespace
} // namespace smx::test

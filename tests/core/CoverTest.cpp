#include <gtest/gtest.h>

#include "core/AdditivePRNGU.h"
#include "core/CoverU.h"

using namespace corvina;

namespace {
std::vector<int32_t> BlockRanks(const TCoverClass& c) {
    std::vector<int32_t> r;
    for (int pos = 1; pos <= c.BlockCount(); ++pos) r.push_back(c.Block(pos)->Rank);
    return r;
}
} // namespace

TEST(CoverStore, AddStoreRestore) {
    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(10, 3));
    EXPECT_FALSE(cover.ContainsRank(0));
    cover.AddBlock(-1);
    cover.AddBlock(cover.Params.PossibleBlockCount);
    EXPECT_EQ(cover.BlockCount(), 0);

    cover.AddBlock(7);
    cover.AddBlock(3);
    EXPECT_EQ(cover.BestRanks.Values(), (std::vector<int32_t>{3, 7}));
    EXPECT_EQ(BlockRanks(cover), (std::vector<int32_t>{7, 3}));
    EXPECT_TRUE(cover.ContainsRank(3));
    EXPECT_FALSE(cover.BestHasDuplicates());

    cover.Block(1)->ResetFromRank(50); // the optimizer moves away from the best
    cover.RestoreBest();
    EXPECT_EQ(BlockRanks(cover), (std::vector<int32_t>{3, 7}));

    cover.AddBlock(7);
    EXPECT_TRUE(cover.BestHasDuplicates());
    cover.RemoveBlock(3, false);
    EXPECT_EQ(cover.BestRanks.Count(), 3); // not updated
    cover.RemoveBlock(1, true);
    EXPECT_EQ(cover.BestRanks.Values(), (std::vector<int32_t>{7}));
}

TEST(CoverStore, RestoreErrors) {
    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(10, 3));
    EXPECT_NO_THROW(cover.RestoreBest()); // both empty

    cover.AddBlock(1);
    cover.AddBlock(2);
    cover.BestRanks.Clear();
    try {
        cover.RestoreBest();
        FAIL();
    } catch (const ECorvinaError& e) {
        EXPECT_STREQ(e.what(), "Covering - Error restoring best covering");
    }
    // Extra best ranks are ignored.
    cover.StoreBest();
    cover.BestRanks.AddInteger(100);
    EXPECT_NO_THROW(cover.RestoreBest());
}

TEST(CoverStore, CreateRandomAndClear) {
    TCoverClass a, b;
    ASSERT_TRUE(a.SetBlockParameters(20, 5));
    ASSERT_TRUE(b.SetBlockParameters(20, 5));
    TtdAdditiveGenerator ga(99), gb(99);
    a.CreateRandom(0, ga);
    EXPECT_EQ(a.BlockCount(), 0);
    EXPECT_TRUE(a.BestRanks.IsEmpty());
    a.CreateRandom(50, ga);
    b.CreateRandom(50, gb);
    EXPECT_EQ(BlockRanks(a), BlockRanks(b)); // same seed, same covering
    EXPECT_EQ(a.BestRanks.Count(), 50);
    for (int32_t r : BlockRanks(a)) {
        EXPECT_GE(r, 0);
        EXPECT_LT(r, a.Params.PossibleBlockCount);
    }
    a.ClearAll();
    EXPECT_EQ(a.BlockCount(), 0);
    EXPECT_TRUE(a.BestRanks.IsEmpty());
}

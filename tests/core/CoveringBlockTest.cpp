#include <gtest/gtest.h>

#include "core/CoveringBlockU.h"
#include "core/nCkU.h"

using namespace corvina;

namespace {
TShortIntArray Complement(int v, const TShortIntArray& points) {
    TBlockParameters params;
    EXPECT_TRUE(params.SetBlockParameters(v, static_cast<int>(points.size())));
    TCoveringBlock block(params, BlockRank(points, v));
    EXPECT_EQ(block.Points, points);
    return block.Complement;
}
} // namespace

TEST(CoveringBlock, ComplementLayouts) {
    struct Case {
        int v;
        TShortIntArray points, complement;
    } cases[] = {
        {10, {2, 5, 9}, {7, 1, 3, 4, 6, 7, 8, 10}},
        {5, {1, 2, 3, 5}, {1, 4}},    // k = v - 1
        {6, {4, 5, 6}, {3, 1, 2, 3}}, // last rank: filled by the walk
        {6, {1, 2, 3}, {3, 4, 5, 6}}, // rank 0: filled by the tail copy
        {7, {7}, {6, 1, 2, 3, 4, 5, 6}},
        {4, {1, 2, 3, 4}, {0}}, // k = v: only the count
    };
    for (const auto& c : cases) EXPECT_EQ(Complement(c.v, c.points), c.complement) << c.v;
}

TEST(CoveringBlock, ResetReusesArraysAndMatchesFreshBlocks) {
    TBlockParameters params;
    ASSERT_TRUE(params.SetBlockParameters(12, 5));
    TCoveringBlock reused(params, 0);
    reused.PendingRank = 5;
    reused.GuideIndex = 3;
    for (int32_t r = 0; r < params.PossibleBlockCount; r += 7) {
        reused.ResetFromRank(r);
        const TCoveringBlock fresh(params, r);
        ASSERT_EQ(reused.Points, fresh.Points);
        ASSERT_EQ(reused.Complement, fresh.Complement);
        ASSERT_EQ(reused.Rank, r);
        ASSERT_EQ(reused.PendingRank, -1);
        ASSERT_EQ(reused.GuideIndex, -1);
    }
    const TShortIntArray before = reused.Points;
    reused.ResetFromRank(params.PossibleBlockCount); // out of range: block unchanged
    EXPECT_EQ(reused.Points, before);
}

TEST(CoveringBlock, ParametersRefuseWhatCannotBeRanked) {
    TBlockParameters params;
    ASSERT_TRUE(params.SetBlockParameters(49, 6));
    EXPECT_EQ(params.PossibleBlockCount, 13983816);
    EXPECT_EQ(params.PointList.size(), 50u);
    EXPECT_EQ(params.PointList[49], 49);
    for (auto [v, k] : {std::pair{100, 6}, {5, 6}, {38, 12}, {10, 0}, {10, 13}}) {
        EXPECT_FALSE(params.SetBlockParameters(v, k)) << v << " " << k;
        EXPECT_EQ(params.CurrentPointCount, 49);
    }
}

TEST(CoveringBlock, Text) {
    EXPECT_EQ(BlockToText(TShortIntArray{3, 14, 27}, " "), "03 14 27");
    EXPECT_EQ(BlockToText(TShortIntArray{1, 2}, " - "), "01 - 02");
    EXPECT_EQ(RankToText(0, 49, 6, " "), "01 02 03 04 05 06");
    EXPECT_EQ(RankToText(13983816, 49, 6, " "), "");
    EXPECT_EQ(RankToText(0, 49, 13, " "), "");
}

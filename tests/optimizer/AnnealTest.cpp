#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "OptimizerRig.h"
#include "core/nCkU.h"

using namespace corvina;
using corvina::fake::TRig;

TEST(ExpNeg, TableAndLookup) {
    EXPECT_EQ(ExpNegTableSize(), 18422);
    EXPECT_EQ(ExpNeg(0), 1.0);
    EXPECT_NEAR(ExpNeg(-18.4215), 9.9968e-9, 1e-12);
    EXPECT_EQ(ExpNeg(-18.4215), ExpNeg(-1000));
    EXPECT_EQ(ExpNeg(-0.0015), std::exp(-0.001)); // entry 1: truncation, no interpolation
    EXPECT_EQ(ExpNeg(-0.0009), 1.0);
    EXPECT_LT(ExpNeg(-5), ExpNeg(-4.999));
}

TEST(Moves, SmallDesignsReachCompleteCoverings) {
    struct Case {
        int v, k, t, m, b;
    } cases[] = {{10, 5, 4, 4, 53}, {14, 5, 3, 4, 22}, {9, 3, 2, 2, 12}, {8, 4, 3, 4, 16}};
    for (const auto& c : cases) {
        for (int search : {skStandard, skExtensive, skStandardCyclic}) {
            TRig rig(c.v, c.k, c.t, c.m, c.b);
            rig.p.Settings.SearchKind = search;
            rig.PauseAfter(3000000, true);
            rig.p.Env.SetRunState(rsRunning);
            EXPECT_EQ(rig.Main().BestCovered, rig.Main().Data->MSubsetTotal)
                << c.v << "," << c.k << "," << c.t << "," << c.m << " b " << c.b << " search "
                << search;
            // The best covering really is complete: recount it from scratch.
            rig.p.Anneal.RevertToBest();
            rig.p.Engines.RecountAll();
            EXPECT_EQ(rig.Main().Covered, rig.Main().Data->MSubsetTotal);
        }
    }
}

TEST(Moves, ASingleBlockCoveringNeverHangs) {
    for (int search : {skStandard, skExtensive, skExtensiveCyclic}) {
        TRig rig(8, 3, 2, 3, 1);
        rig.p.Settings.SearchKind = search;
        rig.PauseAfter(20000);
        rig.p.Env.SetRunState(rsRunning);
        EXPECT_EQ(rig.p.Env.RunState, rsPaused);
        EXPECT_EQ(rig.p.Cover.BlockCount(), 1);
    }
}

TEST(Moves, AcceptanceRaisesTheBiasOnlyWhenStuck) {
    // A complete covering with a tiny bias: no replacement is acceptable until the bias
    // has grown, one step per sampled block.
    TRig rig(6, 2, 1, 1, 3); // blocks {1,2},{3,4},{5,6} cover every point
    ASSERT_TRUE(rig.p.Cover.SetBlockParameters(6, 2));
    for (int32_t r : {0, 9, 14}) rig.p.Cover.AddBlock(r);
    rig.p.Env.SetRunState(rsImported);
    rig.p.Anneal.PrepareEngines();
    rig.p.Anneal.Running = true;
    rig.p.Engines.RefreshWeights();
    rig.p.Anneal.BiasStep = 1e-9;
    rig.p.Anneal.Bias = 1e-9;
    // Outside rsRunning each call samples exactly one block.
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(rig.p.Anneal.StandardMove(), 0);
        EXPECT_DOUBLE_EQ(rig.p.Anneal.Bias, 1e-9 * (i + 2));
    }
}

TEST(Moves, AllowedBlocksWithAndWithoutNeighbourTable) {
    TRig rig(8, 3, 2, 3, 4);
    ASSERT_TRUE(rig.p.Cover.SetBlockParameters(8, 3));
    TIntArray allowed;
    for (int32_t r = 0; r < 56; r += 3) allowed.push_back(r);
    for (int32_t r : {0, 3, 6, 9}) rig.p.Cover.AddBlock(r);
    rig.p.Anneal.FilteredImport = true;
    rig.p.Anneal.AllowedBlocks = allowed;
    rig.p.Env.SetRunState(rsImported);
    rig.p.Anneal.PrepareEngines();
    EXPECT_EQ(rig.p.Anneal.AllowedBlocks, allowed); // a mother covering survives preparation
    rig.p.Anneal.RevertToBest();
    for (int pos = 1; pos <= 4; ++pos)
        EXPECT_EQ(rig.p.Cover.Block(pos)->GuideIndex,
                  SearchSorted(rig.p.Cover.Block(pos)->Rank, allowed));
    rig.p.Anneal.Running = true;
    rig.p.Engines.RefreshWeights();
    rig.p.Anneal.Bias = rig.p.Anneal.BiasStep = 1e9; // accept everything
    rig.p.Anneal.BiasDecay = 1;

    for (bool table : {false, true}) {
        rig.p.Anneal.Neighbours = table ? BuildNeighbourTable(allowed, 8, 3) : TIntArray{};
        std::set<int32_t> drawn;
        for (int i = 0; i < 400; ++i) {
            const int chosen = rig.p.Anneal.StandardMove();
            ASSERT_GT(chosen, 0);
            const TCoveringBlock& b = *rig.p.Cover.Block(chosen);
            ASSERT_TRUE(std::binary_search(allowed.begin(), allowed.end(), b.PendingRank));
            if (table) {
                const int32_t* row = &rig.p.Anneal.Neighbours[b.GuideIndex * 8 * 3];
                if (row[0] > 0) {
                    const int j = SearchSorted(b.PendingRank, allowed);
                    ASSERT_TRUE(std::find(row + 1, row + 1 + row[0], j) != row + 1 + row[0]);
                }
            }
            drawn.insert(b.PendingRank);
            rig.p.Anneal.CommitMove(chosen);
            ASSERT_EQ(rig.p.Cover.Block(chosen)->GuideIndex,
                      SearchSorted(rig.p.Cover.Block(chosen)->Rank, allowed));
        }
        EXPECT_GT(drawn.size(), 5u);
    }
}

TEST(Moves, NeighbourTableLayout) {
    const TIntArray all{0, 1, 2, 3, 4, 5}; // the six 2-subsets of 1..4
    const TIntArray table = BuildNeighbourTable(all, 4, 2);
    ASSERT_EQ(table.size(), 6u * 8);
    // {1,2} (index 0): {1,3}, {1,4}, {2,3}, {2,4}; not {3,4}.
    EXPECT_EQ(TIntArray(table.begin(), table.begin() + 5), (TIntArray{4, 1, 2, 3, 4}));
    // {3,4} (index 5): {1,3}, {1,4}, {2,3}, {2,4}.
    EXPECT_EQ(TIntArray(table.begin() + 40, table.begin() + 45), (TIntArray{4, 1, 2, 3, 4}));
}

namespace {
int32_t Rank3(int a, int b, int c) {
    const TShortIntArray p{static_cast<int8_t>(a), static_cast<int8_t>(b), static_cast<int8_t>(c)};
    return BlockRank(p, 7);
}
} // namespace

TEST(Moves, CyclicCandidatesFollowThePointDemand) {
    // c(7,3,2,2) with blocks {1,2,3} and {1,4,5}. For block 1 the demand ranking is
    // 2,3,6,7,1,4,5: the first cyclic candidate is {2,3,6}, the next {2,3,7}. Both
    // leave the coverage equal; no single exchange does better.
    for (bool full : {false, true}) {
        TRig rig(7, 3, 2, 2, 2);
        rig.p.Settings.SearchKind = skStandardCyclic;
        rig.p.Settings.FullCyclic = full;
        ASSERT_TRUE(rig.p.Cover.SetBlockParameters(7, 3));
        rig.p.Cover.AddBlock(Rank3(1, 2, 3));
        rig.p.Cover.AddBlock(Rank3(1, 4, 5));
        rig.p.Env.SetRunState(rsImported);
        rig.p.Anneal.PrepareEngines();
        rig.p.Engines.RefreshWeights();
        rig.p.Anneal.TotalWeight = rig.p.Engines.WeightSum();
        rig.p.Anneal.Running = true;
        rig.p.Anneal.FullCyclic = full;
        rig.p.Anneal.Bias = rig.p.Anneal.BiasStep = 1e-12;
        TIntArray ranking;
        rig.p.Engines.RankPointsByDemand(1, ranking);
        ASSERT_EQ(ranking, (TIntArray{7, 2, 3, 6, 7, 1, 4, 5}));
        // Sample until block 1 is drawn (one sampled block per call outside rsRunning).
        int chosen = 0;
        for (int i = 0; i < 50 && chosen != 1; ++i) {
            rig.p.Cover.Block(1)->PendingRank = -1;
            chosen = rig.p.Anneal.CyclicMove();
        }
        ASSERT_EQ(chosen, 1);
        EXPECT_EQ(rig.p.Cover.Block(1)->PendingRank, full ? Rank3(2, 3, 7) : Rank3(2, 3, 6));
    }
}

TEST(BlockChanges, RequestsAreClampedAndApplied) {
    struct Case {
        int b, request, pending, after;
    } cases[] = {{3, -5, -2, 1}, {1, -1, 0, 1}, {10, -3, -3, 7}, {10, 4, 4, 14}, {2, -2, -1, 1}};
    for (const auto& c : cases) {
        TRig rig(9, 3, 2, 2, c.b);
        rig.PauseAfter(200);
        rig.p.Env.SetRunState(rsRunning);
        rig.p.Anneal.RequestBlockChange(c.request);
        EXPECT_EQ(rig.p.Anneal.PendingBlockChange, c.pending) << c.b << " " << c.request;
        rig.PauseAfter(rig.host.ProcessCalls + 50);
        rig.p.Env.SetRunState(rsRunning);
        EXPECT_EQ(rig.p.Cover.BlockCount(), c.after) << c.b << " " << c.request;
        EXPECT_EQ(rig.p.Cover.BestRanks.Count(), c.after);
    }
}

TEST(BlockChanges, RemovalTakesTheLeastNeededBlocks) {
    // c(6,2,1,1): every point once. Blocks {1,2},{3,4},{5,6} are each needed; the
    // duplicate {1,2} is not, so removing one block removes a copy of {1,2}.
    TRig rig(6, 2, 1, 1, 4);
    ASSERT_TRUE(rig.p.Cover.SetBlockParameters(6, 2));
    for (int32_t r : {0, 9, 0, 14}) rig.p.Cover.AddBlock(r);
    rig.p.Env.SetRunState(rsImported);
    rig.p.Anneal.PrepareEngines();
    rig.p.Anneal.RequestBlockChange(-1);
    rig.p.Anneal.RemoveBlocks(0, true);
    EXPECT_EQ(rig.p.Cover.BestSnapshot(), (std::vector<int32_t>{0, 9, 14}));
    EXPECT_EQ(rig.Main().UncoveredCount(), 0);
}

TEST(BlockChanges, AutoReduceKeepsTheRate) {
    // Full coverage at 100 %: only blocks without dependency go.
    TRig rig(6, 2, 1, 1, 5);
    ASSERT_TRUE(rig.p.Cover.SetBlockParameters(6, 2));
    for (int32_t r : {0, 9, 14, 0, 1}) rig.p.Cover.AddBlock(r);
    rig.p.Env.SetRunState(rsImported);
    rig.p.Anneal.PrepareEngines();
    rig.p.Env.RunState = rsRunning; // auto-reduce repeats only while running
    rig.p.Anneal.PickBlockToRemove(true);
    rig.p.Env.RunState = rsImported;
    EXPECT_EQ(rig.p.Cover.BlockCount(), 3);
    EXPECT_EQ(rig.Main().UncoveredCount(), 0);
    EXPECT_TRUE(rig.p.Anneal.RateHolds(0));
    EXPECT_FALSE(rig.p.Anneal.RateHolds(1));

    // Below the rate already: nothing is removed.
    TRig low(6, 2, 1, 1, 2);
    ASSERT_TRUE(low.p.Cover.SetBlockParameters(6, 2));
    for (int32_t r : {0, 9}) low.p.Cover.AddBlock(r);
    low.p.Env.SetRunState(rsImported);
    low.p.Anneal.PrepareEngines();
    low.p.Env.RunState = rsRunning;
    low.p.Anneal.PickBlockToRemove(true);
    EXPECT_EQ(low.p.Cover.BlockCount(), 2);

    // At a rate of 50 % a block whose 2 points are the only loss may go.
    TRig half(6, 2, 1, 1, 3);
    half.p.Settings.LRate = 5000;
    ASSERT_TRUE(half.p.Cover.SetBlockParameters(6, 2));
    for (int32_t r : {0, 9, 14}) half.p.Cover.AddBlock(r);
    half.p.Env.SetRunState(rsImported);
    half.p.Anneal.PrepareEngines();
    half.p.Env.RunState = rsRunning;
    half.p.Anneal.PickBlockToRemove(true);
    EXPECT_EQ(half.p.Cover.BlockCount(), 2); // 4 of 6 covered; a third removal would leave 2
}

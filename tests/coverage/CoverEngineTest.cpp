#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "core/AdditivePRNGU.h"
#include "core/CoverU.h"
#include "core/nCkU.h"
#include "coverage/CoverDataU.h"
#include "coverage/CoverEngineU.h"

using namespace corvina;

namespace {

// Independent reference: every m-subset sharing at least t points with the block.
std::vector<int32_t> BruteCovered(const TShortIntArray& block, int v, int t, int m) {
    std::vector<int32_t> out;
    TShortIntArray s(m, 0);
    int32_t rank = 0;
    while (NextCombination(s, v, 1)) {
        int common = 0;
        for (int8_t x : s) common += std::count(block.begin(), block.end(), x) > 0;
        if (common >= t) out.push_back(rank);
        ++rank;
    }
    return out;
}

struct TDesign {
    int v, k, t, m, LBase, blocks;
};

std::vector<int32_t> RandomSortedSubset(int32_t total, int count, TtdAdditiveGenerator& g) {
    std::set<int32_t> s;
    while (static_cast<int>(s.size()) < count) s.insert(g.AsInteger(total));
    return {s.begin(), s.end()};
}

} // namespace

TEST(CoverData, ValidationAndInit) {
    struct Case {
        int v, k, t, m, L;
        double rate;
        int b;
        bool valid;
    } cases[] = {
        {10, 3, 3, 3, 1, 1, 1, false},   {10, 3, 2, 3, 1, 1, 1, true},
        {38, 12, 2, 3, 1, 1, 1, false},  {37, 12, 2, 3, 1, 1, 1, true},
        {6, 6, 2, 3, 1, 1, 1, false},    {10, 3, 4, 5, 1, 1, 1, false},
        {10, 3, 2, 1, 1, 1, 1, false},   {10, 3, 2, 3, 1, 1, 0, false},
        {10, 3, 0, 3, 1, 1, 1, false},   {10, 3, 2, 3, 0, 1, 1, false},
        {10, 3, 2, 3, 1, 1.5, 1, false}, {49, 6, 3, 6, 1, 0, 5, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValidParameters(c.v, c.k, c.t, c.m, c.L, c.rate, c.b), c.valid)
            << c.v << "," << c.k << "," << c.t << "," << c.m << " L" << c.L << " b" << c.b;

    TCoverDataClass d;
    d.Init(10, 3, 2, 3, 0, 1.5);
    EXPECT_TRUE(d.Valid);
    EXPECT_EQ(d.LBase, 1);
    EXPECT_EQ(d.LRate, 1.0);
    d.Init(10, 3, 3, 3, 2, 0.5); // invalid: fields stay
    EXPECT_FALSE(d.Valid);
    EXPECT_EQ(d.t, 2);
    d.SetLBase(-4);
    d.SetLRate(0);
    EXPECT_EQ(d.LBase, 1);
    EXPECT_EQ(d.LRate, 1.0);
}

TEST(CoverData, TablesOfTheLargeLotteryDesign) {
    TCoverEngineDataClass data(49, 6, 3, 6, 1, 1.0);
    EXPECT_EQ(data.CoverPerBlock, 260624);
    EXPECT_EQ(data.MSubsetTotal, 13983816);
    EXPECT_EQ(TCoverEngineDataClass::OneBlockCoverCount(49, 6, 3, 3), 20);
    EXPECT_EQ(TCoverEngineDataClass::OneBlockCoverCount(10, 2, 3, 4), 0);
    EXPECT_THROW(TCoverEngineDataClass(10, 3, 3, 3, 1, 1), ECorvinaError);
}

TEST(CoverData, CoveredRanksAgreeWithBruteForce) {
    const TDesign designs[] = {{10, 5, 4, 4, 1, 0},     {12, 6, 2, 5, 1, 0}, {9, 3, 1, 2, 1, 0},
                               {11, 4, 4, 4 + 1, 1, 0}, {8, 7, 3, 3, 1, 0},  {14, 5, 3, 4, 1, 0}};
    TtdAdditiveGenerator g(3);
    for (const auto& d : designs) {
        TCoverEngineDataClass data(d.v, d.k, d.t, d.m, 1, 1.0);
        TBlockParameters params;
        ASSERT_TRUE(params.SetBlockParameters(d.v, d.k));
        for (int trial = 0; trial < 8; ++trial) {
            const int32_t rank = trial == 0 ? 0 : g.AsInteger(params.PossibleBlockCount);
            TCoveringBlock block(params, rank);
            std::vector<int32_t> fast(data.CoverPerBlock), plain(data.CoverPerBlock);
            data.CoveredRanks(block.Points.data(), block.Complement.data(), fast.data());
            data.CoveredRanksByPatterns(block.Points.data(), block.Complement.data(), plain.data());
            const auto brute = BruteCovered(block.Points, d.v, d.t, d.m);
            ASSERT_EQ(fast, brute)
                << d.v << "," << d.k << "," << d.t << "," << d.m << " rank " << rank;
            ASSERT_EQ(plain, brute);
            std::vector<int32_t>& got = fast;
            if (d.m == d.k) {
                EXPECT_TRUE(std::binary_search(got.begin(), got.end(), rank));
            }
        }
        // One exchanged point: subsets {1..k-1,k+1} covers that {1..k} does not.
        TShortIntArray b0(d.k), b1(d.k);
        for (int i = 0; i < d.k; ++i) b0[i] = b1[i] = static_cast<int8_t>(i + 1);
        b1[d.k - 1] = static_cast<int8_t>(d.k + 1);
        const auto c0 = BruteCovered(b0, d.v, d.t, d.m), c1 = BruteCovered(b1, d.v, d.t, d.m);
        std::vector<int32_t> onlyNew;
        std::set_difference(c1.begin(), c1.end(), c0.begin(), c0.end(),
                            std::back_inserter(onlyNew));
        EXPECT_EQ(data.OnePointGain, static_cast<int32_t>(onlyNew.size()));
    }
}

namespace {

struct TEngineRig {
    TCoverClass cover;
    TCoverEngines engines{cover};
    TtdAdditiveGenerator g{11};
    TCoverageReadings readings;

    TEngineRig(const TDesign& d, bool pointDemand) {
        EXPECT_TRUE(cover.SetBlockParameters(d.v, d.k));
        cover.CreateRandom(d.blocks, g);
        readings.PointDemandEnabled = pointDemand;
        engines.Read = [this] { return readings; };
    }
    // Evaluates `moves` random replacements, applies about half of them, and
    // checks each evaluation against a recount.
    void RandomWalk(int moves, bool checkDeltas) {
        TCoverEngineClass& e = *engines.Engine(1);
        for (int i = 0; i < moves; ++i) {
            const int pos = 1 + g.AsInteger(cover.BlockCount());
            const int32_t a = cover.Block(pos)->Rank;
            const int32_t b = g.AsInteger(cover.Params.PossibleBlockCount);
            ASSERT_EQ(engines.EvaluateMove(a, a, pos), 0.0);
            engines.EvaluateMove(a, b, pos);
            const int32_t trial = e.TrialCovered, trialFiltered = e.TrialFilteredCovered;
            if (g.AsFloat() < 0.5) continue;
            engines.ApplyMove();
            cover.Block(pos)->ResetFromRank(b);
            if (checkDeltas) {
                TCoverEngines fresh(cover);
                fresh.Read = engines.Read;
                auto& ref = fresh.CreateEngine(e.Data->v, e.Data->k, e.Data->t, e.Data->m,
                                               e.Data->LBase, 1.0);
                fresh.SetFilteredList(e.FilteredList);
                ref.CreateSpeedup(0, false, false);
                ASSERT_EQ(trial, ref.Covered);
                ASSERT_EQ(trialFiltered, ref.FilteredCovered);
            }
        }
    }
};

} // namespace

TEST(CoverEngine, IncrementalCountsEqualARecount) {
    const TDesign designs[] = {{10, 5, 4, 4, 1, 20},
                               {10, 5, 4, 4, 2, 30},
                               {12, 4, 3, 4, 3, 40},
                               {11, 5, 3, 5, 2, 15},
                               {9, 4, 2, 3, 3, 12}};
    for (const auto& d : designs)
        for (bool filtered : {false, true})
            for (bool demand : {false, true}) {
                if (filtered && d.m != d.k) continue;
                SCOPED_TRACE(testing::Message()
                             << d.v << "," << d.k << "," << d.t << "," << d.m << " L" << d.LBase
                             << " filtered " << filtered << " demand " << demand);
                TEngineRig rig(d, demand);
                auto& e = rig.engines.CreateEngine(d.v, d.k, d.t, d.m, d.LBase, 1.0);
                if (filtered)
                    rig.engines.SetFilteredList(
                        RandomSortedSubset(Binomial(d.v, d.m), Binomial(d.v, d.m) / 4, rig.g));
                e.CreateSpeedup(1, true, false);
                rig.engines.RecountAll();
                rig.RandomWalk(400, false);
                const auto counts = e.Counts;
                const auto demandCounts = e.PointDemand;
                const int32_t covered = e.Covered, filteredCovered = e.FilteredCovered;
                rig.engines.RecountAll();
                EXPECT_EQ(e.Counts, counts);
                EXPECT_EQ(e.Covered, covered);
                EXPECT_EQ(e.FilteredCovered, filteredCovered);
                if (demand) {
                    EXPECT_EQ(e.PointDemand, demandCounts);
                }
                // Independent check of the recount itself.
                std::vector<int32_t> brute(Binomial(d.v, d.m), 0);
                for (int pos = 1; pos <= rig.cover.BlockCount(); ++pos)
                    for (int32_t r : BruteCovered(rig.cover.Block(pos)->Points, d.v, d.t, d.m))
                        ++brute[r];
                EXPECT_EQ(e.Counts, brute);
            }
}

TEST(CoverEngine, EveryTrialCountMatchesTheRecountAfterTheMove) {
    TEngineRig rig({10, 4, 3, 4, 2, 25}, true);
    rig.engines.CreateEngine(10, 4, 3, 4, 2, 1.0);
    rig.engines.SetFilteredList(RandomSortedSubset(210, 60, rig.g));
    rig.engines.Engine(1)->CreateSpeedup(0, true, false);
    rig.engines.RecountAll();
    rig.RandomWalk(150, true);
}

TEST(CoverEngine, BaseCoverageTwoLosesOnlyAtTheThreshold) {
    // Three copies of one block and one other: removing a copy from a triple-covered
    // subset changes nothing; the lone block's subsets drop from 1 to 0 (never covered).
    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(8, 3));
    for (int32_t r : {0, 0, 0, 55}) cover.AddBlock(r);
    TCoverEngines engines(cover);
    auto& e = engines.CreateEngine(8, 3, 3, 4, 2, 1.0); // t = k: a subset must contain the block
    e.CreateSpeedup(0, false, false);
    engines.RecountAll();
    EXPECT_EQ(e.Covered, 5); // the 5 four-subsets containing {1,2,3}, counted 3 times
    EXPECT_EQ(engines.EvaluateMove(0, 55, 1), 0.0);
    EXPECT_EQ(e.TrialCovered, 5 + 5); // {6,7,8}'s subsets reach 2
    cover.RemoveBlock(4, true);
    cover.RemoveBlock(3, true);
    engines.RecountAll();
    engines.EvaluateMove(0, 55, 1);
    EXPECT_EQ(e.TrialCovered, 0); // counted 2 times: loses all 5
}

TEST(CoverEngine, WeightsAndFilteredValuation) {
    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(9, 3));
    TtdAdditiveGenerator g(5);
    cover.CreateRandom(10, g);
    TCoverEngines engines(cover);
    TCoverageReadings readings{1, false, false};
    engines.Read = [&] { return readings; };
    auto& main = engines.CreateEngine(9, 3, 2, 3, 1, 1.0);
    auto& extra = engines.CreateEngine(9, 3, 1, 2, 1, 1.0);
    main.PrioritySlider = [] { return 40; };
    extra.PrioritySlider = [] { return 100; };
    engines.SetFilteredList(RandomSortedSubset(84, 20, g));
    ASSERT_TRUE(engines.FilteredMode);
    main.CreateSpeedup(0, true, false);
    extra.CreateSpeedup(0, true, false);
    engines.RecountAll();
    engines.RefreshWeights();
    EXPECT_DOUBLE_EQ(main.Weight, 0.4 / main.Data->OnePointGain);
    EXPECT_DOUBLE_EQ(extra.Weight, 1.0 / extra.Data->OnePointGain);
    EXPECT_DOUBLE_EQ(engines.WeightSum(), main.Weight + extra.Weight);
    for (int i = 0; i < 200; ++i) {
        const int pos = 1 + g.AsInteger(10);
        const int32_t a = cover.Block(pos)->Rank, b = g.AsInteger(84);
        const double got = engines.EvaluateMove(a, b, pos);
        const double mainValue = main.FilteredDelta != 0
                                     ? main.FilteredDelta * main.Weight
                                     : (main.TrialCovered - main.Covered) * main.Weight;
        // The additional engine is always valued by its overall change.
        const double extraValue = (extra.TrialCovered - extra.Covered) * extra.Weight;
        ASSERT_DOUBLE_EQ(got, mainValue + extraValue);
        ASSERT_EQ(extra.FilteredDelta, 0);
    }
    readings.ImprovementMode = 0;
    engines.RecountAll();
    engines.RefreshWeights();
    EXPECT_DOUBLE_EQ(main.Weight, 0.4);
}

TEST(CoverEngine, ImprovementOverBestFilteredOverOverall) {
    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(8, 3));
    for (int32_t r : {0, 10, 20}) cover.AddBlock(r);
    TCoverEngines engines(cover);
    auto& e = engines.CreateEngine(8, 3, 2, 3, 1, 1.0);
    engines.SetFilteredList({0, 1, 2});
    e.CreateSpeedup(0, false, false);
    engines.RecountAll();
    e.Weight = 2;
    struct Case {
        bool overOverall;
        int32_t dFiltered, dOverall;
        double expected;
    } cases[] = {{true, 1, 5, 2}, {false, 1, 5, 12}, {true, 0, 5, 10}, {false, 0, -3, -6}};
    for (const auto& c : cases) {
        engines.FilteredOverOverall = c.overOverall;
        e.TrialFilteredCovered = e.BestFilteredCovered + c.dFiltered;
        e.TrialCovered = e.BestCovered + c.dOverall;
        EXPECT_DOUBLE_EQ(engines.ImprovementOverBest(), c.expected);
    }
}

TEST(CoverEngine, DependencyAndDemandAgreeWithBruteForce) {
    const TDesign d{10, 4, 3, 4, 2, 30};
    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(d.v, d.k));
    TtdAdditiveGenerator g(21);
    cover.CreateRandom(d.blocks, g);
    TCoverEngines engines(cover);
    engines.Read = [] { return TCoverageReadings{1, false, true}; };
    auto& e = engines.CreateEngine(d.v, d.k, d.t, d.m, d.LBase, 1.0);
    engines.SetFilteredList(RandomSortedSubset(210, 50, g));
    e.CreateSpeedup(0, true, false);
    engines.RecountAll();

    std::vector<int32_t> counts(210, 0);
    for (int pos = 1; pos <= cover.BlockCount(); ++pos)
        for (int32_t r : BruteCovered(cover.Block(pos)->Points, d.v, d.t, d.m)) ++counts[r];
    for (int pos = 1; pos <= cover.BlockCount(); ++pos) {
        const auto covered = BruteCovered(cover.Block(pos)->Points, d.v, d.t, d.m);
        int32_t dep = 0, depFiltered = 0;
        std::vector<int32_t> demand(d.v + 1, 0);
        TShortIntArray s(d.m);
        TShortIntArray all(d.m, 0);
        for (int32_t r = 0; NextCombination(all, d.v, 1); ++r)
            if (counts[r] < d.LBase)
                for (int8_t p : all) ++demand[p];
        for (int32_t r : covered) {
            if (counts[r] == d.LBase) {
                ++dep;
                depFiltered += std::binary_search(e.FilteredList.begin(), e.FilteredList.end(), r);
            }
            if (counts[r] <= d.LBase) {
                BlockFromRank(r, d.v, s);
                for (int8_t p : s) ++demand[p];
            }
        }
        EXPECT_EQ(e.DependencyCount(pos, false), dep);
        EXPECT_EQ(e.DependencyCount(pos, true), depFiltered);
        TIntArray ranking;
        engines.RankPointsByDemand(pos, ranking);
        std::vector<int32_t> expected(d.v);
        for (int i = 0; i < d.v; ++i) expected[i] = i + 1;
        std::stable_sort(expected.begin(), expected.end(),
                         [&](int32_t x, int32_t y) { return demand[x] > demand[y]; });
        EXPECT_EQ(TIntArray(ranking.begin() + 1, ranking.end()), expected);
        EXPECT_EQ(ranking[0],
                  std::count_if(demand.begin() + 1, demand.end(), [](int32_t x) { return x > 0; }));
    }
}

TEST(CoverEngine, DemandRankingOnACompleteCovering) {
    // Every 2-subset of 1..5 as the covering of c(5,2,2,2)... refused (m = k = t);
    // use c(5,2,1,2): all blocks cover everything.
    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(5, 2));
    for (int32_t r = 0; r < 10; ++r) cover.AddBlock(r);
    TCoverEngines engines(cover);
    engines.Read = [] { return TCoverageReadings{1, false, true}; };
    auto& e = engines.CreateEngine(5, 2, 1, 2, 1, 1.0);
    e.CreateSpeedup(0, true, false);
    engines.RecountAll();
    EXPECT_EQ(e.UncoveredCount(), 0);
    TIntArray ranking;
    engines.RankPointsByDemand(0, ranking);
    EXPECT_EQ(ranking, (TIntArray{0, 1, 2, 3, 4, 5}));
}

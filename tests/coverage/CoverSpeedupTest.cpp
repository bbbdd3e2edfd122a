#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/AdditivePRNGU.h"
#include "core/CoverU.h"
#include "core/nCkU.h"
#include "coverage/CoverEngineU.h"
#include "coverage/CoverSpeedupU.h"

using namespace corvina;

namespace {

struct TConfig {
    const char* name;
    int64_t budgetMB;
    bool special, buildComplete, filtered;
};

// c(12,5,3,4): 792 blocks, 285 ranks per list. 1 MB holds 919 lists: a full
// table; budget 0 no table; the small fractions below give strides above 1.
constexpr int V = 12, K = 5, T = 3, M = 4;

std::vector<int32_t> Reference(TCoverEngineDataClass& data, int32_t rank) {
    TBlockParameters params;
    params.SetBlockParameters(V, K);
    TCoveringBlock block(params, rank);
    std::vector<int32_t> out(data.CoverPerBlock);
    data.CoveredRanks(block.Points.data(), block.Complement.data(), out.data());
    return out;
}

} // namespace

TEST(CoverSpeedup, EveryConfigurationHandsOutTheSameListsAndGains) {
    const TConfig configs[] = {
        {"no table, no cache", 0, false, false, false}, {"no table, cache", 0, true, false, false},
        {"full table", 1, true, false, false},          {"full table built", 1, true, true, false},
        {"huge budget", 100000, true, false, false},    {"filter, no table", 0, true, false, true},
        {"filter, full table", 1, true, true, true},
    };
    std::vector<double> referenceGains;
    for (const auto& c : configs) {
        SCOPED_TRACE(c.name);
        TCoverClass cover;
        ASSERT_TRUE(cover.SetBlockParameters(V, K));
        TtdAdditiveGenerator g(77);
        cover.CreateRandom(30, g);
        TCoverEngines engines(cover);
        auto& e = engines.CreateEngine(V, K, T, M, 2, 1.0);
        TIntArray filter;
        if (c.filtered)
            for (int32_t r = 0; r < 792; r += 3) filter.push_back(r);
        e.FilteredList = filter; // m differs from k: a filter list without filtered mode
        e.CreateSpeedup(c.budgetMB, c.special, c.buildComplete);
        TCoverSpeedupClass& s = *e.Speedup;
        EXPECT_EQ(s.Stride(), c.budgetMB > 0 ? 1 : 0);
        EXPECT_EQ(s.PositionCacheEnabled(), c.special && c.budgetMB == 0);
        if (c.buildComplete) {
            EXPECT_EQ(s.TableFilled(), s.TableSlots());
        }

        for (int i = 0; i < 300; ++i) {
            const int pos = g.AsInteger(31); // 0 = outside the covering
            const int32_t rank = pos ? cover.Block(pos)->Rank : g.AsInteger(792);
            const int32_t* list = s.GetList(rank, pos);
            ASSERT_EQ(std::vector<int32_t>(list, list + e.Data->CoverPerBlock),
                      Reference(*e.Data, rank));
        }
        engines.RecountAll();
        engines.RefreshWeights();
        std::vector<double> gains;
        TtdAdditiveGenerator moves(5);
        for (int i = 0; i < 300; ++i) {
            const int pos = 1 + moves.AsInteger(30);
            const int32_t b = moves.AsInteger(792);
            gains.push_back(engines.EvaluateMove(cover.Block(pos)->Rank, b, pos));
            if (moves.AsFloat() < 0.5) {
                engines.ApplyMove();
                cover.Block(pos)->ResetFromRank(b);
            }
        }
        if (referenceGains.empty()) referenceGains = gains;
        EXPECT_EQ(gains, referenceGains);
    }
}

TEST(CoverSpeedup, StridedTableAndPositionCache) {
    // c(16,6,3,6): 3136 ranks per list, 8008 blocks. 32 MB hold 2674 lists: stride 3.
    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(16, 6));
    for (int32_t r : {4, 9, 100}) cover.AddBlock(r);
    TCoverEngineDataClass data(16, 6, 3, 6, 1, 1.0);
    ASSERT_EQ(data.CoverPerBlock, 3136);
    TCoverSpeedupClass s(data, cover, {}, 32, true, false);
    ASSERT_EQ(s.Stride(), 3);
    EXPECT_EQ(s.TableSlots(), 2670);
    EXPECT_TRUE(s.PositionCacheEnabled());
    struct Case {
        int32_t rank;
        int position;
        TCoverSpeedupClass::TSource source;
    } cases[] = {
        {0, 0, TCoverSpeedupClass::srcTable},     {3, 0, TCoverSpeedupClass::srcTable},
        {9, 2, TCoverSpeedupClass::srcTable},     {4, 1, TCoverSpeedupClass::srcPosition},
        {100, 0, TCoverSpeedupClass::srcScratch}, {8006, 0, TCoverSpeedupClass::srcScratch}};
    for (const auto& c : cases) {
        s.GetList(c.rank, c.position);
        EXPECT_EQ(s.LastSource(), c.source) << c.rank;
    }
    EXPECT_EQ(s.TableFilled(), 3);
    EXPECT_EQ(s.UsageText(), "33.34% (current 0.04%) / cover 0.03746%");

    // With a filter list the position cache comes first and the table is indexed by
    // position in the list; ranks outside the list never come from the table.
    TCoverSpeedupClass f(data, cover, {0, 4, 7, 9, 12, 100}, 32, true, false);
    EXPECT_EQ(f.Stride(), 1);
    f.GetList(4, 1);
    EXPECT_EQ(f.LastSource(), TCoverSpeedupClass::srcTable); // stride 1: no position cache
    f.GetList(5, 0);
    EXPECT_EQ(f.LastSource(), TCoverSpeedupClass::srcScratch);
}

TEST(CoverSpeedup, CacheFollowsTheBlockCount) {
    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(V, K));
    for (int32_t r = 0; r < 6; ++r) cover.AddBlock(r * 10);
    TCoverEngineDataClass data(V, K, T, M, 1, 1.0);
    TCoverSpeedupClass s(data, cover, {}, 0, true, false);
    EXPECT_EQ(s.PositionEntries(), 6);
    cover.RemoveBlock(6, true);
    cover.RemoveBlock(5, true);
    s.ResizePositionCache();
    EXPECT_EQ(s.PositionEntries(), 4);
    // Position 2 now holds another block: the entry is checked by rank before reuse.
    cover.Block(2)->ResetFromRank(333);
    const int32_t* list = s.GetList(333, 2);
    EXPECT_EQ(std::vector<int32_t>(list, list + data.CoverPerBlock), Reference(data, 333));
    cover.AddBlock(700);
    s.ResizePositionCache();
    EXPECT_EQ(s.PositionEntries(), 5);
    list = s.GetList(700, 5);
    EXPECT_EQ(std::vector<int32_t>(list, list + data.CoverPerBlock), Reference(data, 700));
}

TEST(CoverSpeedup, UsageTexts) {
    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(V, K));
    for (int32_t r = 0; r < 20; ++r) cover.AddBlock(r);
    TCoverEngineDataClass data(V, K, T, M, 1, 1.0);
    TCoverSpeedupClass full(data, cover, {}, 1, true, true);
    EXPECT_EQ(full.UsageText(), "100.00% (current 100.00%)");
    TCoverSpeedupClass none(data, cover, {}, 0, true, false);
    EXPECT_EQ(none.UsageText(), "0.00% (current 0.00%) / cover 2.52525%");
    TCoverSpeedupClass plain(data, cover, {}, 0, false, false);
    EXPECT_EQ(plain.UsageText(), "0.00% (current 0.00%)");
}

TEST(CoverSpeedup, LargeBudgetsKeepTheirTable) {
    // 8192 MB and more overflow 32-bit list arithmetic; the table must survive.
    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(V, K));
    TCoverEngineDataClass data(V, K, T, M, 1, 1.0);
    for (int64_t mb : {8192, 9999, 1 << 20}) {
        TCoverSpeedupClass s(data, cover, {}, mb, true, false);
        EXPECT_EQ(s.Stride(), 1) << mb;
        EXPECT_EQ(s.TableSlots(), 792) << mb;
    }
    TCoverSpeedupClass negative(data, cover, {}, -5, false, false);
    EXPECT_EQ(negative.Stride(), 0);
}

TEST(CoverSpeedup, BudgetSplitFollowsTableSizes) {
    EXPECT_EQ(SplitTabulationBudget(256, {1000}), (std::vector<int64_t>{256}));
    EXPECT_EQ(SplitTabulationBudget(256, {3, 1}), (std::vector<int64_t>{192, 64}));
    EXPECT_EQ(SplitTabulationBudget(5, {1, 1}), (std::vector<int64_t>{2, 2})); // 2.5 to even
    EXPECT_EQ(SplitTabulationBudget(7, {1, 1}), (std::vector<int64_t>{4, 4})); // 3.5 to even
    EXPECT_EQ(SplitTabulationBudget(64, {0, 0}), (std::vector<int64_t>{0, 0}));
}

TEST(CoverSpeedup, BuildingTheWholeTableReportsAndCanStop) {
    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(V, K));
    TCoverEngineDataClass data(V, K, T, M, 1, 1.0);
    std::vector<std::pair<int64_t, int64_t>> reports;
    TCoverSpeedupClass whole(data, cover, {}, 1, false, true, [&](int64_t done, int64_t total) {
        reports.emplace_back(done, total);
        return true;
    });
    EXPECT_EQ(whole.TableFilled(), 792);
    ASSERT_EQ(reports.size(), 4u); // every 256 lists
    EXPECT_EQ(reports.back(), std::make_pair(int64_t{768}, int64_t{792}));

    // Stopped after the first 256 lists: the rest is built on first use, correctly.
    int calls = 0;
    TCoverSpeedupClass stopped(data, cover, {}, 1, false, true,
                               [&](int64_t, int64_t) { return ++calls < 2; });
    EXPECT_EQ(stopped.TableFilled(), 256);
    const int32_t* list = stopped.GetList(700, 0);
    EXPECT_EQ(std::vector<int32_t>(list, list + data.CoverPerBlock), Reference(data, 700));
    EXPECT_EQ(stopped.TableFilled(), 257);
}

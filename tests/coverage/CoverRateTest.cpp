#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "core/CoverU.h"
#include "core/nCkU.h"
#include "coverage/CoverRateU.h"

using namespace corvina;

namespace {

using Blocks = std::vector<TShortIntArray>;

// Independent count: subsets as bit patterns of v bits, common points by testing
// each block point against the pattern.
std::array<int32_t, 13> BruteRates(int v, int m, int L, const Blocks& blocks) {
    std::array<int32_t, 13> counts{};
    std::vector<int> subset;
    // Enumerate m-subsets of 1..v recursively.
    std::function<void(int)> walk = [&](int next) {
        if (static_cast<int>(subset.size()) == m) {
            std::array<int, 13> atLeast{};
            for (const auto& block : blocks) {
                int common = 0;
                for (int8_t p : block)
                    for (int s : subset) common += (p == s);
                for (int t = 0; t <= common; ++t) ++atLeast[t];
            }
            for (int t = 0; t <= m; ++t)
                if (atLeast[t] >= L) ++counts[t];
            return;
        }
        for (int p = next; p <= v; ++p) {
            subset.push_back(p);
            walk(p + 1);
            subset.pop_back();
        }
    };
    walk(1);
    return counts;
}

Blocks RandomBlocks(int v, int k, int count, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int32_t> pick(0, Binomial(v, k) - 1);
    Blocks blocks;
    for (int i = 0; i < count; ++i) {
        TShortIntArray points(k);
        BlockFromRank(pick(gen), v, points);
        blocks.push_back(points);
    }
    return blocks;
}

std::vector<int32_t> Ranks(const Blocks& blocks, int v) {
    std::vector<int32_t> ranks;
    for (const auto& b : blocks) ranks.push_back(BlockRank(b, v));
    return ranks;
}

} // namespace

// Both ways of counting common points agree with the brute force, across the
// 64-point boundary of the masks, with duplicates, and for any L.
TEST(CoverRates, PassMatchesBruteForce) {
    struct Case {
        int v, k, m, L, blocks;
    } cases[] = {
        {9, 3, 3, 1, 6},    {9, 3, 3, 2, 12},  {9, 4, 2, 3, 10},  {10, 4, 6, 1, 8},
        {10, 4, 6, 4, 30},  {11, 5, 5, 1, 20}, {12, 6, 1, 9, 25}, {70, 3, 2, 1, 200},
        {99, 5, 2, 2, 300}, {8, 3, 4, 1, 0},   {8, 3, 3, 5, 4},   {12, 4, 4, 1, 495},
    };
    for (const auto& c : cases) {
        const Blocks blocks = RandomBlocks(c.v, c.k, c.blocks, static_cast<unsigned>(c.v * c.m));
        const auto expected = BruteRates(c.v, c.m, c.L, blocks);
        for (bool masks : {false, true}) {
            std::array<int32_t, 13> results{};
            std::atomic<int32_t> tested{-1};
            EXPECT_TRUE(
                CoverRatesPass(c.v, c.m, c.L, blocks, results, tested, std::stop_token(), masks));
            EXPECT_EQ(results, expected) << c.v << " " << c.k << " " << c.m << " " << c.L;
            EXPECT_EQ(tested.load(), Binomial(c.v, c.m));
        }
    }
}

TEST(CoverRates, RowOrderAndValues) {
    // m from 2 to 7, min t 2, k = 6: every (t, m) with 2 <= t <= min(6, m), not (6, 6).
    const int v = 9, k = 6;
    const Blocks blocks = RandomBlocks(v, k, 7, 3);
    TCoverRatesThread thread(v, k, [&] { return Ranks(blocks, v); });
    thread.Prepare(2);
    thread.SetRange(2, 7, 2);
    std::vector<TCoverRateCell> cells;
    std::vector<std::string> statusInCell;
    int finished = 0;
    thread.SetOnCell([&](const TCoverRateCell& cell) {
        cells.push_back(cell);
        statusInCell.push_back(thread.StatusText());
    });
    thread.SetOnFinished([&] { ++finished; });
    EXPECT_EQ(thread.StatusText(), "Finished");
    thread.Start();
    thread.Wait();

    std::vector<std::pair<int, int>> order;
    for (const auto& c : cells) order.emplace_back(c.t, c.m);
    const std::vector<std::pair<int, int>> expected = {
        {2, 2}, {2, 3}, {3, 3}, {2, 4}, {3, 4}, {4, 4}, {2, 5}, {3, 5}, {4, 5}, {5, 5},
        {2, 6}, {3, 6}, {4, 6}, {5, 6}, {2, 7}, {3, 7}, {4, 7}, {5, 7}, {6, 7}};
    EXPECT_EQ(order, expected);
    for (const auto& c : cells) {
        EXPECT_EQ(c.Tested, Binomial(v, c.m));
        EXPECT_EQ(c.Covered, BruteRates(v, c.m, 2, blocks)[c.t]) << c.t << " " << c.m;
        EXPECT_EQ(c.Covered, thread.Results[c.t][c.m]);
    }
    EXPECT_EQ(statusInCell.front(), "Computing x if 2 (L=2) : 100.00%");
    EXPECT_EQ(statusInCell.back(), "Computing x if 7 (L=2) : 100.00%");
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(thread.StatusText(), "Finished");
}

TEST(CoverRates, EmptyCoveringAndLargeL) {
    const int v = 10, k = 4;
    const Blocks blocks = RandomBlocks(v, k, 5, 11);
    struct Case {
        Blocks blocks;
        int L;
    } cases[] = {{{}, 1}, {blocks, 6}};
    for (const auto& c : cases) {
        TCoverRatesThread thread(v, k, [&] { return Ranks(c.blocks, v); });
        thread.Prepare(c.L);
        thread.SetRange(1, 6, 1);
        int rows = 0;
        thread.SetOnCell([&](const TCoverRateCell& cell) {
            ++rows;
            EXPECT_EQ(cell.Covered, 0) << cell.t << " " << cell.m;
        });
        thread.Start();
        thread.Wait();
        EXPECT_EQ(rows, 1 + 2 + 3 + 3 + 4 + 4); // (4, 4) is not a row
    }
}

TEST(CoverRates, TooLargeForTheTablesEndsTheRun) {
    // C(99, 7) does not fit: nothing is written for m = 7 and the run ends there.
    TCoverRatesThread thread(99, 6, [] { return std::vector<int32_t>{0, 1, 2}; });
    thread.Prepare(1);
    thread.SetRange(7, 9, 2);
    int rows = 0, finished = 0;
    thread.SetOnCell([&](const TCoverRateCell&) { ++rows; });
    thread.SetOnFinished([&] { ++finished; });
    thread.Start();
    thread.Wait();
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(thread.Results[2][7], -1);
    EXPECT_EQ(thread.Results[6][7], -1);
    EXPECT_EQ(thread.Results[2][8], 0);
    EXPECT_TRUE(CoverRateRowTexts({2, 7, 0, -1}).empty());
}

TEST(CoverRates, SetRangeClamps) {
    struct Case {
        int mFrom, mTo, tMin, MFrom, MTo, TMin;
    } cases[] = {
        {2, 7, 2, 2, 7, 2}, {0, 0, 5, 1, 1, 1},   {14, 3, 2, 12, 12, 2},
        {5, 3, 9, 5, 5, 5}, {3, 20, 1, 3, 12, 1}, {2, 4, -3, 2, 4, 0},
    };
    for (const auto& c : cases) {
        TCoverRatesThread thread(10, 3, nullptr);
        thread.SetRange(c.mFrom, c.mTo, c.tMin);
        EXPECT_EQ(thread.MFrom, c.MFrom);
        EXPECT_EQ(thread.MTo, c.MTo);
        EXPECT_EQ(thread.TMin, c.TMin);
    }
}

// The worker is held at the start of the second pass, asked to end, then released:
// the pass must end at its first block comparison. Terminate keeps the finish
// callback; Stop removes both callbacks.
TEST(CoverRates, StoppingEndsAfterTheCurrentBlockComparison) {
    const int v = 12, k = 4;
    const Blocks blocks = RandomBlocks(v, k, 30, 5);
    for (bool useStop : {false, true})
        for (bool masks : {false, true}) {
            std::promise<void> entered, release;
            std::shared_future<void> released = release.get_future().share();
            int calls = 0;
            TCoverRatesThread thread(v, k, [&] {
                if (++calls == 2) {
                    entered.set_value();
                    released.wait();
                }
                return Ranks(blocks, v);
            });
            thread.UseMasks = masks;
            thread.Prepare(1);
            thread.SetRange(2, 5, 2);
            std::vector<int> cellMs;
            int finished = 0;
            thread.SetOnCell([&](const TCoverRateCell& cell) { cellMs.push_back(cell.m); });
            thread.SetOnFinished([&] { ++finished; });
            thread.Start();
            entered.get_future().wait();
            EXPECT_EQ(thread.StatusText(), "Computing x if 3 (L=1) : 0.00%");
            if (useStop)
                thread.Stop();
            else
                thread.Terminate();
            release.set_value();
            thread.Wait();
            EXPECT_EQ(cellMs, std::vector<int>{2}); // the first pass's row only
            EXPECT_EQ(thread.Tested.load(), 1);
            EXPECT_EQ(finished, useStop ? 0 : 1);
            EXPECT_EQ(thread.StatusText(), "Finished");
        }
}

// A writer stores two different coverings in turn while passes run. Every pass must
// see one of them whole: its rows equal the brute force of A or of B. A torn copy
// (part of a covering, or ranks of both) gives other counts at some level L.
TEST(CoverRates, SnapshotIsConsistentUnderConcurrentStoreBest) {
    const int v = 12, k = 4, mTo = 5, changed = 300;
    std::vector<int32_t> rankA(2500), rankB;
    std::mt19937 gen(1);
    for (auto& r : rankA) r = std::uniform_int_distribution<int32_t>(0, 494)(gen);
    rankB = rankA;
    for (int i = 0; i < changed; ++i) rankB[i] = std::uniform_int_distribution<int32_t>(0, 60)(gen);
    auto toBlocks = [&](const std::vector<int32_t>& ranks) {
        Blocks blocks;
        for (int32_t r : ranks) {
            TShortIntArray p(k);
            BlockFromRank(r, v, p);
            blocks.push_back(p);
        }
        return blocks;
    };
    // Expected rows for every L at once: per m, per m-subset, the number of blocks
    // meeting it in at least t points.
    auto levels = [&](const Blocks& blocks, int m) {
        std::vector<std::array<int, 13>> perSubset;
        for (unsigned s = 0; s < (1u << v); ++s) {
            if (__builtin_popcount(s) != m) continue;
            std::array<int, 13> atLeast{};
            for (const auto& b : blocks) {
                int common = 0;
                for (int8_t p : b) common += (s >> (p - 1)) & 1;
                for (int t = 0; t <= common; ++t) ++atLeast[t];
            }
            perSubset.push_back(atLeast);
        }
        return perSubset;
    };
    const Blocks blocksA = toBlocks(rankA), blocksB = toBlocks(rankB);
    std::map<int, std::vector<std::array<int, 13>>> levelsA, levelsB;
    for (int m = 1; m <= mTo; ++m) {
        levelsA[m] = levels(blocksA, m);
        levelsB[m] = levels(blocksB, m);
    }
    auto rowsFor = [&](const std::vector<std::array<int, 13>>& perSubset, int m, int L) {
        std::vector<int32_t> row;
        for (int t = 1; t <= std::min(k, m); ++t) {
            if (t == m && m == k) continue;
            int32_t covered = 0;
            for (const auto& atLeast : perSubset) covered += atLeast[t] >= L;
            row.push_back(covered);
        }
        return row;
    };

    TCoverClass cover;
    ASSERT_TRUE(cover.SetBlockParameters(v, k));
    for (int32_t r : rankA)
        cover.Blocks.AddRecord(std::make_unique<TCoveringBlock>(cover.Params, r));
    cover.StoreBest();
    std::atomic<bool> done{false};
    std::atomic<int> stores{0};
    std::thread writer([&] {
        bool useA = false;
        while (!done) {
            const auto& ranks = useA ? rankA : rankB;
            for (int pos = 1; pos <= changed; ++pos)
                cover.Block(pos)->ResetFromRank(ranks[pos - 1]);
            cover.StoreBest();
            ++stores;
            useA = !useA;
        }
    });

    const int Ls[] = {1, 40, 150, 400, 700, 1000};
    int passes = 0, distinguishable = 0;
    for (int run = 0; run < 24; ++run) {
        const int L = Ls[run % 6];
        TCoverRatesThread thread(cover);
        thread.Prepare(L);
        thread.SetRange(1, mTo, 1);
        std::map<int, std::vector<int32_t>> rows;
        thread.SetOnCell([&](const TCoverRateCell& cell) { rows[cell.m].push_back(cell.Covered); });
        thread.Start();
        thread.Wait();
        for (const auto& [m, covered] : rows) {
            const auto a = rowsFor(levelsA[m], m, L), b = rowsFor(levelsB[m], m, L);
            EXPECT_TRUE(covered == a || covered == b) << "m = " << m << ", L = " << L;
            distinguishable += a != b;
            ++passes;
        }
    }
    done = true;
    writer.join();
    EXPECT_EQ(passes, 24 * mTo);
    EXPECT_GE(distinguishable, passes / 4); // the two coverings tell apart
    EXPECT_GT(stores.load(), 1);
}

TEST(CoverRates, RowTextsAndClipboard) {
    EXPECT_EQ(CoverageCaption(49, 6), "Coverage of 49, 6, t if m");
    const std::vector<std::string> row = CoverRateRowTexts({3, 6, 13983816, 13983000});
    const std::vector<std::string> expected = {"3",          "6",   "13983816",  "13983000",
                                               " 99.99416%", "816", "  0.00584%"};
    EXPECT_EQ(row, expected);
    EXPECT_EQ(CoverRateRowTexts({2, 2, 10, 10})[6], "  0.00000%");

    const std::string text = CoverRatesClipboardText({CoverRateHeader(), row});
    const std::string rule =
        "------  ----------  ----------  ----------  ----------  ----------\r\n";
    EXPECT_EQ(text,
              rule + "  t  m      Tested     Covered    Covered%   Uncovered  Uncovered%\r\n" +
                  rule + "  3  6    13983816    13983000   99.99416%         816    0.00584%\r\n");
}

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/ErrorsU.h"
#include "core/nCkU.h"
#include "coverage/HitsDisplayU.h"

using namespace corvina;

namespace {

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ECorvinaError& e) {
        return e.what();
    }
    return "no error";
}

std::vector<std::string> Row(const THitsDisplayClass& hits, int row) {
    std::vector<std::string> cells;
    for (int col = 0; col < hits.ColCount(); ++col) cells.push_back(hits.CellText(col, row));
    return cells;
}

std::vector<int32_t> RowDraws(const THitsDisplayClass& hits) {
    std::vector<int32_t> draws;
    for (int i = 1; i <= hits.FoldedRows.Count(); ++i)
        draws.push_back(hits.FoldedRows.GetRecord(i)->Draws);
    return draws;
}

// Independent profiles: draws as bit patterns, common points counted per block point;
// ordered best divisions first (levels 12 down to 1, larger first).
std::vector<std::pair<std::vector<int>, int>>
BruteProfiles(const std::vector<std::vector<int>>& blocks,
              const std::vector<std::vector<bool>>& draws) {
    std::map<std::vector<int>, int> counts;
    for (const auto& d : draws) {
        std::vector<int> hits(13, 0);
        for (const auto& b : blocks) {
            int common = 0;
            for (int p : b) common += d[p];
            ++hits[common];
        }
        ++counts[hits];
    }
    std::vector<std::pair<std::vector<int>, int>> out(counts.begin(), counts.end());
    auto key = [](const std::vector<int>& h) { return std::vector<int>(h.rbegin(), h.rend() - 1); };
    std::sort(out.begin(), out.end(),
              [&](const auto& a, const auto& b) { return key(a.first) > key(b.first); });
    return out;
}

std::vector<std::pair<std::vector<int>, int>> StoreContents(THitsDisplayClass& hits, int m) {
    std::vector<std::pair<std::vector<int>, int>> out;
    const THitProfileStore* store = hits.ProfileStore(m);
    for (int i = 1; i <= store->Count(); ++i) {
        const THitProfile* p = store->GetRecord(i);
        out.emplace_back(std::vector<int>(p->Hits.begin(), p->Hits.end()), p->Draws);
    }
    return out;
}

std::vector<bool> Bits(const std::vector<int8_t>& points) {
    std::vector<bool> bits(128, false);
    for (int8_t p : points) bits[p] = true;
    return bits;
}

} // namespace

// One block {1,2,3}, v = 5, k = 3, category 3: 1 draw with 3 hits, 6 with 2, 3 with 1.
TEST(HitsDisplay, SingleBlockExample) {
    THitsDisplayClass hits(5, 3, 6, false, [] { return std::vector<int32_t>{0}; });
    std::vector<std::pair<int32_t, int32_t>> progress;
    hits.OnProgress = [&](int32_t done, int32_t total) { progress.emplace_back(done, total); };
    hits.Show(3, 3);

    ASSERT_EQ(hits.ProfileStore(3)->Count(), 3);
    EXPECT_EQ(progress.size(), 11u);
    EXPECT_EQ(progress.front(), std::make_pair(1, 10));
    EXPECT_EQ(progress[9], std::make_pair(10, 10));
    EXPECT_EQ(progress.back(), std::make_pair(0, 0));
    EXPECT_TRUE(hits.GridVisible());
    EXPECT_EQ(hits.ColCount(), 8);
    EXPECT_EQ(hits.RowCount(), 6);

    using V = std::vector<std::string>;
    EXPECT_EQ(Row(hits, 0), (V{"", "3", "2", "1", "0", "Total", "%", "Sum %"}));
    EXPECT_EQ(Row(hits, 1), (V{"", "1", "0", "0", "0", "1", "  10.00%", "  10.00%"}));
    EXPECT_EQ(Row(hits, 2), (V{"", "0", "1", "0", "0", "6", "  60.00%", "  70.00%"}));
    EXPECT_EQ(Row(hits, 3), (V{"", "0", "0", "1", "0", "3", "  30.00%", " 100.00%"}));
    EXPECT_EQ(Row(hits, 4), (V{"0H", "9", "3", "0", "0", "10", "", ""}));
    EXPECT_EQ(Row(hits, 5), (V{"0%", "  90.00%", "  30.00%", "   0.00%", "   0.00%", "", "", ""}));
    EXPECT_EQ(ErrorOf([&] { hits.CellText(0, 6); }), "SG-Error 1");
    EXPECT_EQ(ErrorOf([&] { hits.CellText(0, -1); }), "SG-Error 1");

    const std::string rule = std::string(72, '-') + "\r\n";
    const std::string clip = hits.ClipboardText();
    EXPECT_EQ(clip.substr(0, clip.find("       0H")),
              "Details information on 3 hits\r\n" + rule +
                  "                 3        2        1        0    Total        %    Sum %\r\n" +
                  rule +
                  "                 1        0        0        0        1   10.00%   10.00%\r\n"
                  "                 0        1        0        0        6   60.00%   70.00%\r\n"
                  "                 0        0        1        0        3   30.00%  100.00%\r\n");
    EXPECT_EQ(clip.substr(clip.find("       0H")),
              "       0H        9        3        0        0       10                  \r\n"
              "       0%   90.00%   30.00%    0.00%    0.00%                           \r\n");

    // Fold 12 keeps rows with different best divisions apart.
    hits.Show(3, 12);
    EXPECT_EQ(RowDraws(hits), (std::vector<int32_t>{1, 6, 3}));
    hits.SortOnOccurrence();
    EXPECT_EQ(RowDraws(hits), (std::vector<int32_t>{6, 3, 1}));
    EXPECT_EQ(hits.CellText(7, 2), "  90.00%");
    // Sorting on the winning division again is a new show.
    hits.Show(3, 12);
    EXPECT_EQ(RowDraws(hits), (std::vector<int32_t>{1, 6, 3}));
    EXPECT_EQ(progress.size(), 11u); // computed once
}

TEST(HitsDisplay, ProfilesMatchBruteForce) {
    struct Case {
        int v, k, blocks;
        std::vector<int> categories;
    } cases[] = {
        {10, 4, 12, {1, 2, 3, 4, 5, 6}}, {9, 3, 1, {2, 3}}, {70, 3, 25, {2}}, {13, 6, 9, {6}}};
    for (const auto& c : cases) {
        std::mt19937 gen(static_cast<unsigned>(c.v));
        std::uniform_int_distribution<int32_t> pick(0, Binomial(c.v, c.k) - 1);
        std::vector<int32_t> ranks;
        std::vector<std::vector<int>> blocks;
        for (int i = 0; i < c.blocks; ++i) {
            ranks.push_back(pick(gen));
            std::vector<int8_t> p(c.k);
            BlockFromRank(ranks.back(), c.v, p);
            blocks.emplace_back(p.begin(), p.end());
        }
        for (bool masks : {false, true}) {
            THitsDisplayClass hits(c.v, c.k, 1, false, [&] { return ranks; });
            hits.UseMasks = masks;
            for (int m : c.categories) {
                std::vector<std::vector<bool>> draws;
                std::vector<int8_t> d(m, 0);
                while (NextCombination(d, c.v)) draws.push_back(Bits(d));
                hits.Show(m, 3);
                EXPECT_EQ(StoreContents(hits, m), BruteProfiles(blocks, draws))
                    << c.v << " " << c.k << " m=" << m << " masks=" << masks;
                int64_t total = 0;
                for (const auto& r : StoreContents(hits, m)) total += r.second;
                EXPECT_EQ(total, Binomial(c.v, m));
            }
        }
    }
}

TEST(HitsDisplay, FilteredUsesTheAllowedBlocks) {
    const int v = 10, k = 4;
    const std::vector<int32_t> best = {0, 17, 93, 150, 201};
    std::vector<std::vector<int>> blocks;
    for (int32_t r : best) {
        std::vector<int8_t> p(k);
        BlockFromRank(r, v, p);
        blocks.emplace_back(p.begin(), p.end());
    }
    TIntArray allowed;
    std::vector<std::vector<bool>> draws;
    for (int32_t r = 3; r < Binomial(v, k); r += 7) {
        allowed.push_back(r);
        std::vector<int8_t> p(k);
        BlockFromRank(r, v, p);
        draws.push_back(Bits(p));
    }
    THitsDisplayClass hits(
        v, k, 3, true, [&] { return best; }, allowed);
    EXPECT_EQ(hits.Caption(), "Detailed Hits Analysis (Filtered)");
    hits.Show(k, 3);
    EXPECT_EQ(StoreContents(hits, k), BruteProfiles(blocks, draws));
    EXPECT_EQ(hits.DrawCount(k), static_cast<int32_t>(allowed.size()));
    EXPECT_EQ(hits.CellText(k + 2, hits.RowCount() - 2), std::to_string(allowed.size()));
    EXPECT_EQ(hits.ClipboardText().substr(0, 45),
              "Details information on 4 hits (Filtered)\r\n---");

    EXPECT_EQ(ErrorOf([&] { hits.Show(3, 3); }), "Filtered analysis : m <> k");
    EXPECT_EQ(ErrorOf([&] { THitsDisplayClass(v, k, 3, true, [&] { return best; }); }),
              "Error : No mother covering or guide filters have been defined.");
}

// Profiles given directly (levels 4..0, in profile order) to check the folding rules.
TEST(HitsDisplay, FoldingRules) {
    const std::vector<std::pair<std::array<int, 5>, int>> profiles = {
        {{1, 1, 0, 2, 6}, 4}, // P0
        {{1, 0, 3, 2, 5}, 5}, // P1
        {{1, 0, 1, 4, 5}, 3}, // P2
        {{0, 2, 1, 1, 7}, 7}, // P3
        {{0, 2, 0, 3, 6}, 3}, // P4
        {{0, 0, 2, 1, 8}, 2}, // P5
        {{0, 0, 2, 0, 9}, 2}, // P6
        {{0, 0, 1, 5, 5}, 7}, // P7
        {{0, 0, 0, 3, 8}, 1}, // P8
    };
    THitsDisplayClass hits(10, 4, 4, false, nullptr);
    for (const auto& [levels, draws] : profiles) {
        auto p = std::make_unique<THitProfile>();
        for (int j = 0; j <= 4; ++j) p->Hits[4 - j] = levels[j];
        p->Draws = draws;
        hits.ProfileStore(4)->AddRecord(std::move(p));
    }
    struct Case {
        int fold;
        std::vector<int32_t> draws;
    } cases[] = {
        {0, {4, 5, 3, 7, 3, 2, 2, 7, 1}}, {-5, {4, 5, 3, 7, 3, 2, 2, 7, 1}},
        {1, {4, 5, 3, 7, 3, 4, 7, 1}},    {2, {4, 8, 10, 4, 7, 1}},
        {3, {12, 10, 4, 7, 1}},           {12, {12, 10, 4, 7, 1}},
        {40, {12, 10, 4, 7, 1}},
    };
    for (const auto& c : cases) {
        hits.Show(4, c.fold);
        EXPECT_EQ(RowDraws(hits), c.draws) << "fold " << c.fold;
    }

    using V = std::vector<std::string>;
    hits.Show(4, 1);
    EXPECT_EQ(Row(hits, 6), (V{"", "0", "0", "2", "0 - 1", "8 - 9", "4", "   1.90%", "  12.38%"}));
    hits.Show(4, 3);
    EXPECT_EQ(Row(hits, 1),
              (V{"", "1", "0 - 1", "0 - 3", "2 - 4", "5 - 6", "12", "   5.71%", "   5.71%"}));
    EXPECT_EQ(Row(hits, 2),
              (V{"", "0", "2", "0 - 1", "1 - 3", "6 - 7", "10", "   4.76%", "  10.48%"}));
    // Draws in which no block reaches 4, 3, 2, 1, 0 matches.
    EXPECT_EQ(Row(hits, 6), (V{"0H", "22", "12", "1", "0", "0", "210", "", ""}));

    // Occurrence order: equal counts by the better profile first.
    hits.Show(4, 0);
    hits.SortOnOccurrence();
    std::vector<int32_t> level1;
    for (int i = 1; i <= hits.FoldedRows.Count(); ++i)
        level1.push_back(hits.FoldedRows.GetRecord(i)->High[1]);
    EXPECT_EQ(RowDraws(hits), (std::vector<int32_t>{7, 7, 5, 4, 3, 3, 2, 2, 1}));
    EXPECT_EQ(level1,
              (std::vector<int32_t>{1, 5, 2, 2, 4, 3, 1, 0, 3})); // P3 P7 P1 P0 P2 P4 P5 P6 P8
    EXPECT_EQ(hits.CellText(8, 9), "  16.19%");                   // all 34 draws of 210
}

TEST(HitsDisplay, StoppingLeavesTheCategoryUncomputed) {
    THitsDisplayClass hits(5, 3, 3, false, [] { return std::vector<int32_t>{0}; });
    std::vector<std::pair<int32_t, int32_t>> progress;
    hits.OnProgress = [&](int32_t done, int32_t total) {
        progress.emplace_back(done, total);
        if (total == 0) return; // the closing report: idle again
        EXPECT_TRUE(hits.Busy());
        hits.Show(2, 3); // a nested show while busy is ignored
        if (done == 3) hits.StopRequested = true;
    };
    hits.Show(3, 3);
    EXPECT_TRUE(hits.ProfileStore(3)->IsEmpty());
    EXPECT_TRUE(hits.ProfileStore(2)->IsEmpty());
    EXPECT_FALSE(hits.GridVisible());
    EXPECT_FALSE(hits.StopRequested);
    EXPECT_FALSE(hits.Busy());
    EXPECT_EQ(progress,
              (std::vector<std::pair<int32_t, int32_t>>{{1, 10}, {2, 10}, {3, 10}, {0, 0}}));

    hits.OnProgress = nullptr;
    hits.Show(3, 3);
    EXPECT_EQ(RowDraws(hits), (std::vector<int32_t>{1, 6, 3}));
}

TEST(HitsDisplay, EdgeCategories) {
    // Category 10 with v = 49: C(49, 10) cannot be ranked; nothing is computed.
    int progressCalls = 0;
    THitsDisplayClass big(49, 6, 6, false, [] { return std::vector<int32_t>{0}; });
    big.OnProgress = [&](int32_t, int32_t) { ++progressCalls; };
    big.Show(10, 3);
    EXPECT_FALSE(big.GridVisible());
    EXPECT_EQ(progressCalls, 0);
    EXPECT_EQ(big.Caption(), "Detailed Hits Analysis");
    EXPECT_EQ(ErrorOf([&] { big.Show(0, 3); }), "DisplayDetails - error Hit request 0");
    EXPECT_EQ(ErrorOf([&] { big.Show(13, 3); }), "DisplayDetails - error Hit request 13");

    // An empty covering: one profile with no hits at all; no draw reaches any level.
    THitsDisplayClass empty(6, 3, 2, false, [] { return std::vector<int32_t>{}; });
    empty.Show(2, 3);
    EXPECT_EQ(RowDraws(empty), std::vector<int32_t>{15});
    EXPECT_EQ(Row(empty, 2),
              (std::vector<std::string>{"0H", "15", "15", "15", "15", "15", "", ""}));

    EXPECT_EQ(HitsProgressPosition(0, 0), -1);
    EXPECT_EQ(HitsProgressPosition(1, 8), 12); // 12.5 rounds to even
    EXPECT_EQ(HitsProgressPosition(3, 40), 8); // 7.5 rounds to even
    EXPECT_EQ(HitsProgressPosition(10, 10), 100);
}

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/nCkU.h"

using namespace corvina;

namespace {
// Independent rank: count the subsets that precede p lexicographically, using a
// binomial computed here in 64 bits.
int64_t C64(int n, int k) {
    if (k < 0 || k > n) return 0;
    int64_t c = 1;
    for (int i = 1; i <= k; ++i) c = c * (n - k + i) / i;
    return c;
}
int64_t ReferenceRank(const std::vector<int8_t>& p, int v) {
    const int k = static_cast<int>(p.size());
    int64_t rank = 0;
    int prev = 0;
    for (int i = 0; i < k; ++i) {
        for (int x = prev + 1; x < p[i]; ++x) rank += C64(v - x, k - 1 - i);
        prev = p[i];
    }
    return rank;
}
} // namespace

TEST(Binomial, EdgeValues) {
    struct Case {
        int n, j;
        int32_t expected;
    } cases[] = {{0, 0, 1},
                 {99, 0, 1},
                 {99, 99, 1},
                 {99, 1, 99},
                 {99, 49, 0},
                 {49, 6, 13983816},
                 {37, 12, 1852482996},
                 {38, 12, 0},
                 {33, 16, 1166803110},
                 {34, 17, 0},
                 {-1, 0, 0},
                 {5, 6, 0},
                 {100, 1, 0},
                 {5, -1, 0}};
    for (const auto& c : cases) EXPECT_EQ(Binomial(c.n, c.j), c.expected) << c.n << " " << c.j;
    // Every non-zero entry is exact, every zero entry is too large.
    for (int n = 0; n <= 99; ++n)
        for (int j = 0; j <= n; ++j) {
            if (Binomial(n, j) > 0) {
                EXPECT_EQ(Binomial(n, j), C64(n, j)) << n << " " << j;
            } else {
                double c = 1;
                for (int i = 1; i <= j; ++i) c = c * (n - j + i) / i;
                EXPECT_GT(c, 2147483647.0) << n << " " << j;
            }
        }
}

TEST(Binomial, MaxPointsForBlockSize) {
    const int expected[] = {0, 99, 99, 99, 99, 99, 99, 75, 58, 49, 43, 39, 37, 0};
    for (int k = 0; k <= 13; ++k) EXPECT_EQ(MaxPointsForBlockSize(k), expected[k]) << k;
    EXPECT_EQ(MaxPointsForBlockSize(-3), 0);
}

TEST(Rank, KnownRanks) {
    struct Case {
        std::vector<int8_t> p;
        int32_t rank;
    } cases[] = {{{1, 2, 3, 4, 5, 6}, 0},
                 {{1, 2, 3, 4, 5, 7}, 1},
                 {{2, 3, 4, 5, 6, 7}, 1712304},
                 {{44, 45, 46, 47, 48, 49}, 13983815}};
    for (const auto& c : cases) {
        EXPECT_EQ(BlockRank(c.p, 49), c.rank);
        std::vector<int8_t> back(6);
        ASSERT_TRUE(BlockFromRank(c.rank, 49, back));
        EXPECT_EQ(back, c.p);
    }
    for (int p = 1; p <= 99; ++p) {
        const std::vector<int8_t> one{static_cast<int8_t>(p)};
        EXPECT_EQ(BlockRank(one, 99), p - 1);
    }
}

TEST(Rank, InverseAtLargestVForEveryBlockSize) {
    for (int k = 1; k <= 12; ++k) {
        const int v = MaxPointsForBlockSize(k);
        const int32_t total = Binomial(v, k);
        ASSERT_GT(total, 0);
        std::vector<int32_t> ranks{0, 1, total / 2, total - 2, total - 1};
        for (int32_t step = total / 997 + 1, r = 7; r < total; r += step) ranks.push_back(r);
        std::vector<int8_t> p(k);
        for (int32_t r : ranks) {
            ASSERT_TRUE(BlockFromRank(r, v, p)) << k << " " << r;
            ASSERT_TRUE(std::is_sorted(p.begin(), p.end()));
            ASSERT_GE(p.front(), 1);
            ASSERT_LE(p.back(), v);
            ASSERT_EQ(BlockRank(p, v), r) << "k=" << k << " rank=" << r;
            ASSERT_EQ(ReferenceRank(p, v), r);
        }
    }
}

TEST(Rank, NextCombinationWalksAllSubsetsInRankOrderForSmallV) {
    for (int v = 1; v <= 14; ++v)
        for (int k = 1; k <= std::min(v, 12); ++k) {
            std::vector<int8_t> p(k, 0), back(k);
            int32_t expected = 0;
            while (NextCombination(p, v, 1)) {
                ASSERT_EQ(BlockRank(p, v), expected);
                ASSERT_TRUE(BlockFromRank(expected, v, back));
                ASSERT_EQ(back, p);
                ++expected;
            }
            ASSERT_EQ(expected, Binomial(v, k)) << v << " " << k;
        }
}

TEST(Rank, NextCombinationSmallExample) {
    std::vector<int8_t> p(3, 0);
    std::vector<std::vector<int8_t>> seen;
    while (NextCombination(p, 5, 1)) seen.push_back(p);
    ASSERT_EQ(seen.size(), 10u);
    EXPECT_EQ(seen.front(), (std::vector<int8_t>{1, 2, 3}));
    EXPECT_EQ(seen[1], (std::vector<int8_t>{1, 2, 4}));
    EXPECT_EQ(seen.back(), (std::vector<int8_t>{3, 4, 5}));
}

TEST(Rank, OutOfRangeInputIsRefusedWithoutTouchingMemory) {
    std::vector<int8_t> p{9, 9, 9};
    const std::vector<int8_t> untouched = p;
    struct Case {
        int32_t rank;
        int v;
    } bad[] = {{-1, 10}, {120, 10}, {2147483647, 10}, {0, 2}, {0, 100}, {0, -5}};
    for (const auto& c : bad) {
        EXPECT_FALSE(BlockFromRank(c.rank, c.v, p)) << c.rank << " " << c.v;
        EXPECT_EQ(p, untouched);
    }
    std::vector<int8_t> tooLong(13, 0);
    EXPECT_FALSE(BlockFromRank(0, 50, tooLong));
    // Garbage points read no table entry outside the table (checked under ASan).
    const std::vector<int8_t> garbage[] = {{-128, 127, 0}, {127, 126, 125}, {0, 0, 0}, {5, 5, 5}};
    for (const auto& g : garbage) (void)BlockRank(g, 99);
    (void)BlockRank(std::vector<int8_t>{1, 2, 3}, 127);
    (void)BlockRank(std::vector<int8_t>{1, 2, 3}, -40);
    // A walk never runs past the largest signed byte.
    std::vector<int8_t> q(2, 0);
    int n = 0;
    while (NextCombination(q, 200, 1) && n < 100000) ++n;
    EXPECT_LT(n, 100000);
}

TEST(ArrayRoutines, CommonPointsSearchAndSort) {
    EXPECT_EQ(CommonPointCount(std::vector<int8_t>{1, 2, 3}, std::vector<int8_t>{2, 3, 4}), 2);
    EXPECT_EQ(CommonPointCount(std::vector<int8_t>{1, 5}, std::vector<int8_t>{2, 3, 4}), 0);
    EXPECT_EQ(CommonPointCount(std::vector<int8_t>{}, std::vector<int8_t>{2}), 0);

    const std::vector<int32_t> a{2, 3, 5, 8, 13, 21};
    EXPECT_EQ(SearchSorted(5, std::vector<int32_t>{}), -1);
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(SearchSorted(a[i], a), static_cast<int>(i));
    for (int32_t missing : {0, 4, 22}) EXPECT_EQ(SearchSorted(missing, a), -1);
    EXPECT_EQ(SearchSorted(21, a, 3), -1); // beyond `high`
    EXPECT_EQ(SearchSorted(21, a, 50), 5); // high clamped to the array

    std::vector<int32_t> s{5, -1, 9, 3, 3, 0};
    SortIntegers(s, 1, 4);
    EXPECT_EQ(s, (std::vector<int32_t>{5, -1, 3, 3, 9, 0}));
    SortIntegers(s, -10, 100);
    EXPECT_EQ(s, (std::vector<int32_t>{-1, 0, 3, 3, 5, 9}));
    std::vector<int8_t> pts{7, 2, 9, 1};
    SortPoints(pts, 0, 3);
    EXPECT_EQ(pts, (std::vector<int8_t>{1, 2, 7, 9}));
}

TEST(RankOffset, MatchesClosedFormWhereSmall) {
    for (int r = 0; r < 12; ++r)
        for (int w = r; w <= 40; ++w)
            for (int d = 0; d <= w; ++d)
                ASSERT_EQ(RankOffset(d, w, r), C64(w, r + 1) - C64(w - d, r + 1));
    EXPECT_EQ(RankOffset(100, 0, 0), 0);
    EXPECT_EQ(RankOffset(0, 0, 12), 0);
}

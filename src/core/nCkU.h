#pragma once
// Binomial coefficients, lexicographic rank/unrank of k-subsets of 1..v, and the
// small array routines the coverage engines use on points and ranks.
#include <cstdint>
#include <span>

#include "TypesU.h"

namespace corvina {

constexpr int MaxPoints = 99;
constexpr int MaxBlockSize = 12;

// C(n, j), or 0 when it exceeds 2 147 483 647 or the arguments are outside
// 0 <= j <= n <= 99.
int32_t Binomial(int n, int j);

// Sum over l = 1..d of C(w - l, r) for the terms with w - l >= r; 0 outside the table.
int64_t RankOffset(int d, int w, int r);

// Largest v <= 99 with Binomial(v, k) > 0; 0 for k outside 1..12.
int MaxPointsForBlockSize(int k);

namespace detail {
// Offsets laid out [r][w][d] as 32-bit values: what ranking reads.
struct TRankTables {
    int32_t Offset[MaxBlockSize][MaxPoints + 1][MaxPoints + 1];
};
const TRankTables& RankTables();
} // namespace detail

// Rank of the ascending points p[0..k-1] of 1..v. Costs k table reads; a read
// outside the table (points not ascending or outside 1..v) contributes 0.
inline int32_t BlockRank(const int8_t* p, int v, int k) {
    const auto& t = detail::RankTables().Offset;
    auto read = [&](int d, int w, int r) -> int32_t {
        return (static_cast<unsigned>(d) <= MaxPoints && static_cast<unsigned>(w) <= MaxPoints &&
                static_cast<unsigned>(r) < MaxBlockSize)
                   ? t[r][w][d]
                   : 0;
    };
    int32_t rank = read(p[0] - 1, v, k - 1);
    for (int i = 1; i < k; ++i) rank += read(p[i] - p[i - 1] - 1, v - p[i - 1], k - 1 - i);
    return rank;
}
// The same for points known to be a valid block of 1..v (no checks): the move
// loop's candidates.
inline int32_t BlockRankUnchecked(const int8_t* p, int v, int k,
                                  const detail::TRankTables& tables) {
    const auto& t = tables.Offset;
    int32_t rank = t[k - 1][v][p[0] - 1];
    for (int i = 1; i < k; ++i) rank += t[k - 1 - i][v - p[i - 1]][p[i] - p[i - 1] - 1];
    return rank;
}
inline int32_t BlockRank(std::span<const int8_t> p, int v) {
    return p.empty() ? 0 : BlockRank(p.data(), v, static_cast<int>(p.size()));
}

// Fills points[0..k-1] with the subset of the given rank. Returns false and leaves
// the points untouched when v, k or the rank are out of range.
bool BlockFromRank(int32_t rank, int v, int k, int8_t* points);
inline bool BlockFromRank(int32_t rank, int v, std::span<int8_t> points) {
    return BlockFromRank(rank, v, static_cast<int>(points.size()), points.data());
}

// Lexicographic successor of p among the k-subsets of base..base+n-1. A zeroed
// array yields the first subset; false after the last.
bool NextCombination(std::span<int8_t> p, int n, int base = 1);

int CommonPointCount(std::span<const int8_t> a, std::span<const int8_t> b);

// Index of value in the strictly ascending array[0..high], or -1.
int SearchSorted(int32_t value, std::span<const int32_t> array, int high);
inline int SearchSorted(int32_t value, std::span<const int32_t> array) {
    return SearchSorted(value, array, static_cast<int>(array.size()) - 1);
}

// Sort ascending within the inclusive index range (clamped to the array).
void SortPoints(std::span<int8_t> array, int lo, int hi);
void SortIntegers(std::span<int32_t> array, int lo, int hi);

} // namespace corvina

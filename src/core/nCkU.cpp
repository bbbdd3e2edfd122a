#include "nCkU.h"

#include <algorithm>
#include <array>
#include <vector>

namespace corvina {

namespace {

struct TBinomialTable {
    std::array<std::array<int32_t, MaxPoints + 1>, MaxPoints + 1> Value{};
    TBinomialTable() {
        for (int n = 0; n <= MaxPoints; ++n) {
            for (int j = 0; j <= n / 2; ++j) {
                int64_t c = 1;
                bool overflow = false;
                for (int i = 1; i <= std::min(j, n - j); ++i) {
                    if (c > INT64_MAX / (n - i + 1)) {
                        overflow = true;
                        break;
                    }
                    c = c * (n - i + 1) / i;
                }
                if (overflow) break; // larger still towards the middle: stays 0
                const int32_t stored = c > MaxInt32 ? 0 : static_cast<int32_t>(c);
                Value[n][j] = stored;
                Value[n][n - j] = stored;
            }
        }
    }
};

const TBinomialTable& Binomials() {
    static const TBinomialTable table;
    return table;
}

struct TOffsetTable {
    // [d][w][r], as the partial sums are defined.
    std::vector<int64_t> Sum = std::vector<int64_t>(100 * 100 * 12, 0);
    static size_t Index(int d, int w, int r) { return (static_cast<size_t>(d) * 100 + w) * 12 + r; }
    int64_t At(int d, int w, int r) const { return Sum[Index(d, w, r)]; }
    TOffsetTable() {
        for (int r = MaxBlockSize - 1; r >= 0; --r)
            for (int w = r; w <= MaxPoints; ++w)
                for (int d = 0; d <= w; ++d) {
                    int64_t s = 0;
                    for (int l = 1; l <= d; ++l)
                        if (w - l >= r) s += Binomial(w - l, r);
                    Sum[Index(d, w, r)] = s;
                }
    }
};

const TOffsetTable& Offsets() {
    static const TOffsetTable table;
    return table;
}

} // namespace

int32_t Binomial(int n, int j) {
    if (n < 0 || n > MaxPoints || j < 0 || j > n) return 0;
    return Binomials().Value[n][j];
}

int64_t RankOffset(int d, int w, int r) {
    if (d < 0 || d > MaxPoints || w < 0 || w > MaxPoints || r < 0 || r >= MaxBlockSize) return 0;
    return Offsets().At(d, w, r);
}

int MaxPointsForBlockSize(int k) {
    if (k < 1 || k > MaxBlockSize) return 0;
    for (int n = MaxPoints; n >= 0; --n)
        if (Binomial(n, k) > 0) return n;
    return 0;
}

namespace detail {
namespace {
struct TRankTablesBuilt : TRankTables {
    TRankTablesBuilt() : TRankTables{} {
        for (int r = 0; r < MaxBlockSize; ++r)
            for (int w = 0; w <= MaxPoints; ++w)
                for (int d = 0; d <= MaxPoints; ++d)
                    // Ranking reads the low 32 bits of an entry.
                    Offset[r][w][d] = static_cast<int32_t>(
                        static_cast<uint32_t>(static_cast<uint64_t>(RankOffset(d, w, r))));
    }
};
} // namespace

const TRankTables& RankTables() {
    static const TRankTablesBuilt tables;
    return tables;
}
} // namespace detail

bool BlockFromRank(int32_t rank, int v, int k, int8_t* points) {
    if (k < 1 || k > MaxBlockSize || v < k || v > MaxPoints) return false;
    const int32_t total = Binomial(v, k);
    if (total <= 0 || rank < 0 || rank >= total) return false;
    int j = 0;
    for (int i = 1; i <= k; ++i) {
        j = (i == 1) ? 1 : j + 1;
        int32_t c = 0;
        while (j <= v) {
            const int32_t d = Binomial(v - j, k - i);
            if (c + static_cast<int64_t>(d) > rank) break;
            c += d;
            ++j;
        }
        points[i - 1] = static_cast<int8_t>(j);
        rank -= c;
    }
    return true;
}

bool NextCombination(std::span<int8_t> p, int n, int base) {
    const int k = static_cast<int>(p.size());
    if (k < 1 || n < k) return false;
    if (p[0] <= 0) {
        for (int i = 0; i < k; ++i) p[i] = static_cast<int8_t>(base + i);
        return true;
    }
    int i = k - 1;
    while (i >= 0) {
        const int next = p[i] + 1;
        if (next < n - (k - 1) + i + base && next <= 127) {
            p[i] = static_cast<int8_t>(next);
            break;
        }
        --i;
    }
    if (i < 0) return false;
    for (int q = i + 1; q < k; ++q) p[q] = static_cast<int8_t>(p[q - 1] + 1);
    return true;
}

int CommonPointCount(std::span<const int8_t> a, std::span<const int8_t> b) {
    size_t i = 0, j = 0;
    int common = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] == b[j]) {
            ++common;
            ++i;
            ++j;
        } else if (a[i] < b[j]) {
            ++i;
        } else {
            ++j;
        }
    }
    return common;
}

int SearchSorted(int32_t value, std::span<const int32_t> array, int high) {
    high = std::min(high, static_cast<int>(array.size()) - 1);
    int lo = 0;
    while (lo <= high) {
        const int mid = lo + (high - lo) / 2;
        if (array[mid] < value)
            lo = mid + 1;
        else if (array[mid] > value)
            high = mid - 1;
        else
            return mid;
    }
    return -1;
}

namespace {
template <class T> void SortRange(std::span<T> array, int lo, int hi) {
    lo = std::max(lo, 0);
    hi = std::min(hi, static_cast<int>(array.size()) - 1);
    if (lo < hi) std::sort(array.begin() + lo, array.begin() + hi + 1);
}
} // namespace

void SortPoints(std::span<int8_t> array, int lo, int hi) {
    SortRange(array, lo, hi);
}
void SortIntegers(std::span<int32_t> array, int lo, int hi) {
    SortRange(array, lo, hi);
}

} // namespace corvina

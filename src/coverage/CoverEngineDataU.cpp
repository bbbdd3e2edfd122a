#include "CoverEngineDataU.h"

#include <algorithm>

#include "core/CoveringBlockU.h"
#include "core/ErrorsU.h"
#include "core/nCkU.h"

namespace corvina {

int32_t TCoverEngineDataClass::MSubsetCount(int v, int m) {
    return Binomial(v, m);
}

int32_t TCoverEngineDataClass::OneBlockCoverCount(int v, int k, int t, int m) {
    int64_t sum = 0;
    for (int j = t; j <= std::min(k, m); ++j)
        sum += static_cast<int64_t>(Binomial(k, j)) * Binomial(v - k, m - j);
    return sum > MaxInt32 ? 0 : static_cast<int32_t>(sum);
}

bool TCoverEngineDataClass::HasCommonPoints(std::span<const int8_t> a, std::span<const int8_t> b,
                                            int t) {
    size_t i = 0, j = 0;
    int common = 0;
    if (t <= 0) return true;
    while (i < a.size() && j < b.size()) {
        if (a[i] == b[j]) {
            if (++common >= t) return true;
            ++i;
            ++j;
        } else if (a[i] < b[j]) {
            ++i;
        } else {
            ++j;
        }
    }
    return false;
}

TCoverEngineDataClass::TCoverEngineDataClass(int v_, int k_, int t_, int m_, int LBase_,
                                             double LRate_) {
    Init(v_, k_, t_, m_, LBase_, LRate_);
    MSubsetTotal = MSubsetCount(v_, m_);
    if (!Valid || MSubsetTotal <= 0 || m_ > MaxBlockSize)
        throw ECorvinaError("Invalid parameters or too large to handle...");
    CoverPerBlock = OneBlockCoverCount(v, k, t, m);
    ReferenceBlock.resize(k);
    for (int i = 0; i < k; ++i) ReferenceBlock[i] = static_cast<int8_t>(i + 1);
    Scratch.assign(m, 0);
    SortBuffer.resize(CoverPerBlock);
    BuildPatterns();
    ComputeOnePointGain();
}

void TCoverEngineDataClass::BuildPatterns() {
    Patterns.assign(static_cast<size_t>(CoverPerBlock) * m, 0);
    PatternBlockPoints.assign(CoverPerBlock, 0);
    int32_t n = 0;
    // Walking the m-subsets in rank order keeps the patterns in rank order.
    std::fill(Scratch.begin(), Scratch.end(), 0);
    while (NextCombination(Scratch, v, 1)) {
        if (!HasCommonPoints(ReferenceBlock, Scratch, t)) continue;
        if (n >= CoverPerBlock) break;
        int8_t* pattern = &Patterns[static_cast<size_t>(n) * m];
        int inBlock = 0;
        for (int i = 0; i < m; ++i) {
            const int p = Scratch[i];
            pattern[i] = static_cast<int8_t>(p <= k ? 1 - p : p - k);
            if (p <= k) ++inBlock;
        }
        PatternBlockPoints[n] = static_cast<int8_t>(inBlock);
        ++n;
    }
}

void TCoverEngineDataClass::CoveredRanksByPatterns(const int8_t* points, const int8_t* complement,
                                                   int32_t* ranks) {
    int8_t* s = Scratch.data();
    for (int32_t i = 0; i < CoverPerBlock; ++i) {
        CoveredSubset(i, points, complement, s);
        ranks[i] = BlockRank(s, v, m);
    }
    std::sort(ranks, ranks + CoverPerBlock);
}

namespace {

struct TRankWalk {
    const int32_t (*offset)[MaxPoints + 1][MaxPoints + 1];
    int v, m, t;
    uint8_t inBlock[MaxPoints + 2];
    int8_t blockAfter[MaxPoints + 2]; // block points greater than p
    int8_t blockPoints[MaxBlockSize];
    int k;
    int32_t* out;

    // Chooses the (depth+1)-th point after `prev`, with `bc` block points so far.
    void Walk(int depth, int prev, int bc, int32_t rank) {
        const int remaining = m - depth;
        const int need = t - bc;
        if (need > remaining || need > blockAfter[prev]) return;
        const int32_t(*row)[MaxPoints + 1] = offset[remaining - 1];
        const int32_t* cell = row[v - prev];
        if (need == remaining) {
            // Only block points can still be taken.
            for (int i = k - blockAfter[prev]; i < k; ++i) {
                const int p = blockPoints[i];
                if (p > v - remaining + 1) break;
                const int32_t r = rank + cell[p - prev - 1];
                if (remaining == 1)
                    *out++ = r;
                else
                    Walk(depth + 1, p, bc + 1, r);
            }
            return;
        }
        const int last = v - remaining + 1;
        if (remaining == 1) {
            // need <= 0 here: every point completes a covered subset.
            for (int p = prev + 1; p <= last; ++p) *out++ = rank + cell[p - prev - 1];
            return;
        }
        for (int p = prev + 1; p <= last; ++p)
            Walk(depth + 1, p, bc + inBlock[p], rank + cell[p - prev - 1]);
    }
};

} // namespace

void TCoverEngineDataClass::CoveredRanks(const int8_t* points, int32_t* ranks) const {
    TRankWalk w{};
    w.offset = detail::RankTables().Offset;
    w.v = v;
    w.m = m;
    w.t = t;
    w.k = k;
    w.out = ranks;
    for (int i = 0; i < k; ++i) {
        w.inBlock[points[i]] = 1;
        w.blockPoints[i] = points[i];
    }
    int after = k;
    for (int p = 0; p <= v; ++p) {
        if (p > 0 && w.inBlock[p]) --after;
        w.blockAfter[p] = static_cast<int8_t>(after);
    }
    w.Walk(0, 0, 0, 0);
}

void TCoverEngineDataClass::ComputeOnePointGain() {
    TBlockParameters params;
    params.SetBlockParameters(v, k);
    TShortIntArray shifted(ReferenceBlock);
    shifted[k - 1] = static_cast<int8_t>(k + 1);
    TShortIntArray complement(static_cast<size_t>(v - k + 1));
    BuildComplement(params, shifted, complement);
    TShortIntArray subset(m);
    OnePointGain = 0;
    const int8_t* pattern = Patterns.data();
    for (int32_t i = 0; i < CoverPerBlock; ++i, pattern += m) {
        for (int e = 0; e < m; ++e)
            subset[e] = pattern[e] <= 0 ? shifted[-pattern[e]] : complement[pattern[e]];
        std::sort(subset.begin(), subset.end());
        if (!HasCommonPoints(ReferenceBlock, subset, t)) ++OnePointGain;
    }
}

} // namespace corvina

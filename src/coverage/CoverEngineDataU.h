#pragma once
// The per-requirement tables of a coverage engine: how many m-subsets one block
// covers and the patterns that turn any block into the ranks it covers.
#include <cstdint>
#include <span>

#include "CoverDataU.h"
#include "core/TypesU.h"

namespace corvina {

class TCoverEngineDataClass : public TCoverDataClass {
  public:
    // Raises ECorvinaError when the requirement is not valid or C(v, m) is too
    // large for the tables.
    TCoverEngineDataClass(int v, int k, int t, int m, int LBase, double LRate);

    int32_t CoverPerBlock = 0;
    int32_t OnePointGain = 0;
    int32_t MSubsetTotal = 0;
    // CoverPerBlock patterns of m entries, flat. Entry e <= 0 is block point -e
    // (0-based), e > 0 complement point e (1-based). Within a pattern the block
    // entries come first, each run ascending.
    TShortIntArray Patterns;
    // Per pattern, how many of its entries are block points.
    TShortIntArray PatternBlockPoints;
    TShortIntArray ReferenceBlock;
    TShortIntArray Scratch;

    // Writes the CoverPerBlock ranks covered by the block into `ranks`, ascending.
    // Enumerates the covered m-subsets in rank order, adding the rank offsets level
    // by level, so no subset is built, ranked from scratch or sorted.
    void CoveredRanks(const int8_t* points, int32_t* ranks) const;
    void CoveredRanks(const int8_t* points, const int8_t* /*complement*/, int32_t* ranks) const {
        CoveredRanks(points, ranks);
    }
    // The plain way: apply every pattern, rank the subset, sort. Kept as the
    // reference the fast enumeration is checked and measured against.
    void CoveredRanksByPatterns(const int8_t* points, const int8_t* complement, int32_t* ranks);
    // The m-subset of pattern i applied to a block, ascending, into out[0..m-1].
    void CoveredSubset(int32_t i, const int8_t* points, const int8_t* complement,
                       int8_t* out) const {
        const int8_t* pattern = &Patterns[static_cast<size_t>(i) * m];
        // Block points and complement points are each ascending: merge the two runs.
        const int j = PatternBlockPoints[i];
        int a = 0, b = j, o = 0;
        while (a < j && b < m) {
            const int8_t x = points[-pattern[a]], y = complement[pattern[b]];
            if (x < y) {
                out[o++] = x;
                ++a;
            } else {
                out[o++] = y;
                ++b;
            }
        }
        while (a < j) out[o++] = points[-pattern[a++]];
        while (b < m) out[o++] = complement[pattern[b++]];
    }

    static int32_t MSubsetCount(int v, int m);
    static int32_t OneBlockCoverCount(int v, int k, int t, int m);
    static bool HasCommonPoints(std::span<const int8_t> a, std::span<const int8_t> b, int t);

  private:
    void BuildPatterns();
    void ComputeOnePointGain();
    TIntArray SortBuffer;
};

} // namespace corvina

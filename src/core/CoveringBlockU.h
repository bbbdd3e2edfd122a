#pragma once
// A block of the current covering in the three forms the engines need: rank,
// points and complement; plus the block parameters of the current run.
#include <cstdint>
#include <span>
#include <string>

#include "TypesU.h"

namespace corvina {

struct TBlockParameters {
    int32_t CurrentPointCount = 0;  // v
    int32_t CurrentBlockSize = 0;   // k
    int32_t PossibleBlockCount = 0; // C(v, k); valid ranks are 0..PossibleBlockCount - 1
    TShortIntArray PointList;       // PointList[i] = i, i = 0..v

    // Returns false (and leaves the parameters unchanged) for v, k the tables
    // cannot rank: k outside 1..12, v outside k..99 or C(v, k) too large.
    bool SetBlockParameters(int v, int k);
};

// Fills complement[0] = v - k and complement[1..] with the points of 1..v not in
// the ascending `points`. `complement` has v - k + 1 elements.
void BuildComplement(const TBlockParameters& params, std::span<const int8_t> points,
                     std::span<int8_t> complement);

class TCoveringBlock {
  public:
    TCoveringBlock(const TBlockParameters& params, int32_t rank);
    // Refills from another rank without reallocating; clears PendingRank and GuideIndex.
    void ResetFromRank(int32_t rank);

    int32_t Rank = 0;
    TShortIntArray Points;
    TShortIntArray Complement;
    int32_t PendingRank = -1;
    int32_t GuideIndex = -1;

  private:
    const TBlockParameters& Params;
};

// Points written with at least two digits ("%2.2d"), joined by the separator.
std::string BlockToText(std::span<const int8_t> points, const std::string& separator);
// Empty text for a rank outside 0..C(v,k)-1.
std::string RankToText(int32_t rank, int v, int k, const std::string& separator);

} // namespace corvina

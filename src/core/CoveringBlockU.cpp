#include "CoveringBlockU.h"

#include <algorithm>
#include <cstring>

#include "StringU.h"
#include "nCkU.h"

namespace corvina {

bool TBlockParameters::SetBlockParameters(int v, int k) {
    if (k < 1 || k > MaxBlockSize || v < k || v > MaxPoints || Binomial(v, k) <= 0) return false;
    CurrentPointCount = v;
    CurrentBlockSize = k;
    PossibleBlockCount = Binomial(v, k);
    PointList.resize(static_cast<size_t>(v) + 1);
    for (int i = 0; i <= v; ++i) PointList[i] = static_cast<int8_t>(i);
    return true;
}

void BuildComplement(const TBlockParameters& params, std::span<const int8_t> points,
                     std::span<int8_t> complement) {
    const int v = params.CurrentPointCount;
    const int k = static_cast<int>(points.size());
    if (complement.size() != static_cast<size_t>(v - k + 1) || k < 1) return;
    complement[0] = static_cast<int8_t>(v - k);
    int out = 1, idx = 0, c = 1;
    for (; c <= v && idx < k; ++c) {
        if (c == points[idx])
            ++idx;
        else if (out <= v - k)
            complement[out++] = static_cast<int8_t>(c);
    }
    // The points after the last block point are consecutive: copy them in one move,
    // unless the array already holds that tail.
    const int tail = v - k + 1 - out;
    if (tail > 0 && complement[out] != c)
        std::memcpy(&complement[out], &params.PointList[c], static_cast<size_t>(tail));
}

TCoveringBlock::TCoveringBlock(const TBlockParameters& params, int32_t rank)
    : Points(static_cast<size_t>(params.CurrentBlockSize), 0),
      Complement(static_cast<size_t>(params.CurrentPointCount - params.CurrentBlockSize + 1), 0),
      Params(params) {
    Complement[0] = static_cast<int8_t>(params.CurrentPointCount - params.CurrentBlockSize);
    ResetFromRank(rank);
}

void TCoveringBlock::ResetFromRank(int32_t rank) {
    if (BlockFromRank(rank, Params.CurrentPointCount, Points)) {
        BuildComplement(Params, Points, Complement);
        Rank = rank;
    }
    PendingRank = -1;
    GuideIndex = -1;
}

std::string BlockToText(std::span<const int8_t> points, const std::string& separator) {
    std::string out;
    for (size_t i = 0; i < points.size(); ++i) {
        if (i) out += separator;
        out += FormatText("%2.2d", static_cast<int>(points[i]));
    }
    return out;
}

std::string RankToText(int32_t rank, int v, int k, const std::string& separator) {
    if (k < 1 || k > MaxBlockSize) return std::string();
    TShortIntArray points(static_cast<size_t>(k));
    if (!BlockFromRank(rank, v, points)) return std::string();
    return BlockToText(points, separator);
}

} // namespace corvina

#include "HitsDisplayU.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "CoverRateU.h"
#include "core/CoverU.h"
#include "core/ErrorsU.h"
#include "core/StringU.h"
#include "core/nCkU.h"

namespace corvina {

namespace {

constexpr int TopLevelIndex = 12;

// The highest level with a count above 0, or -1.
template <class Levels> int TopLevel(const Levels& levels) {
    for (int j = TopLevelIndex; j >= 0; --j)
        if (levels[j] > 0) return j;
    return -1;
}

// Adds to hits[j] the blocks sharing exactly j points with the draw. The block masks
// come as separate low and high words (no high words when v <= 64); two count arrays
// keep consecutive increments of the same count from waiting for each other.
template <bool Wide>
[[gnu::always_inline]] inline void CountHitsBody(const TPointMask& draw, const uint64_t* lo,
                                                 const uint64_t* hi, size_t blockCount,
                                                 int32_t* hits) {
    auto common = [&](size_t b) {
        if constexpr (Wide)
            return std::popcount(draw.Lo & lo[b]) + std::popcount(draw.Hi & hi[b]);
        else
            return std::popcount(draw.Lo & lo[b]);
    };
    int32_t even[13] = {}, odd[13] = {};
    size_t b = 0;
    for (; b + 1 < blockCount; b += 2) {
        ++even[common(b)];
        ++odd[common(b + 1)];
    }
    if (b < blockCount) ++even[common(b)];
    for (int j = 0; j < 13; ++j) hits[j] += even[j] + odd[j];
}

CORVINA_POPCNT_CLONES
void CountHitsNarrow(const TPointMask& draw, const uint64_t* lo, size_t blockCount, int32_t* hits) {
    CountHitsBody<false>(draw, lo, nullptr, blockCount, hits);
}

CORVINA_POPCNT_CLONES
void CountHitsWide(const TPointMask& draw, const uint64_t* lo, const uint64_t* hi,
                   size_t blockCount, int32_t* hits) {
    CountHitsBody<true>(draw, lo, hi, blockCount, hits);
}

// Finds the profile among the records, kept ascending by Hits from level `top` down,
// and counts the draw there, or inserts a new record at its place.
void AddProfile(THitProfileStore& store, const std::array<int32_t, 13>& hits, int top) {
    int lo = 1, hi = store.Count();
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        THitProfile* record = store.GetRecord(mid);
        int order = 0;
        for (int j = top; j >= 0 && order == 0; --j)
            if (record->Hits[j] != hits[j]) order = record->Hits[j] < hits[j] ? -1 : 1;
        if (order == 0) {
            record->Draws = SaturatingAdd(record->Draws, 1);
            return;
        }
        if (order < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    auto record = std::make_unique<THitProfile>();
    record->Hits = hits;
    record->Draws = 1;
    store.InsertRecord(lo, std::move(record));
}

} // namespace

void FoldProfiles(const THitProfileStore& profiles, int fold, TFoldedRowStore& rows) {
    rows.Clear();
    try {
        const THitProfile* prev = nullptr;
        for (int pos = 1; pos <= profiles.Count(); ++pos) {
            const THitProfile* cur = profiles.GetRecord(pos);
            if (!cur) throw ECorvinaError("");
            bool join = prev != nullptr;
            const int topCur = TopLevel(cur->Hits);
            if (join) {
                // The divisions above the fold level must agree...
                for (int j = TopLevelIndex; j > fold && join; --j)
                    join = prev->Hits[j] == cur->Hits[j];
                // ...and a profile whose best division is at or below it only joins
                // profiles with the same best division and count.
                const int topPrev = TopLevel(prev->Hits);
                if (topPrev <= fold || topCur <= fold)
                    join = join && topPrev == topCur &&
                           (topCur < 0 || prev->Hits[topCur] == cur->Hits[topCur]);
            }
            if (join) {
                TFoldedRow* row = rows.GetRecord(rows.Count());
                if (!row) throw ECorvinaError("");
                row->Draws = SaturatingAdd(row->Draws, cur->Draws);
                for (int j = 0; j < topCur; ++j) {
                    row->Low[j] = std::min(row->Low[j], cur->Hits[j]);
                    row->High[j] = std::max(row->High[j], cur->Hits[j]);
                }
            } else {
                auto row = std::make_unique<TFoldedRow>();
                row->Low = cur->Hits;
                row->High = cur->Hits;
                row->Draws = cur->Draws;
                rows.AddRecord(std::move(row));
            }
            prev = cur;
        }
    } catch (const std::exception&) {
        rows.Clear();
        throw ECorvinaError("Compress wins error");
    }
}

void SortOnOccurrence(TFoldedRowStore& rows) {
    rows.Sort([](const std::unique_ptr<TFoldedRow>& a, const std::unique_ptr<TFoldedRow>& b) {
        if (a->Draws != b->Draws) return a->Draws > b->Draws ? -1 : 1;
        for (int j = TopLevelIndex; j >= 0; --j) {
            if (a->High[j] != b->High[j]) return a->High[j] > b->High[j] ? -1 : 1;
            if (a->Low[j] != b->Low[j]) return a->Low[j] > b->Low[j] ? -1 : 1;
        }
        return 0;
    });
}

int HitsProgressPosition(int32_t done, int32_t total) {
    if (total <= 0) return -1;
    return static_cast<int>(std::nearbyint(static_cast<double>(done) / total * 100));
}

THitsDisplayClass::THitsDisplayClass(int v_, int k_, int mainM, bool filtered,
                                     TBestRanksProvider bestRanks, TIntArray allowedBlocks)
    : v(v_), k(k_), MainM(mainM), Filtered(filtered), BestRanks(std::move(bestRanks)),
      AllowedBlocks(std::move(allowedBlocks)) {
    if (Filtered && AllowedBlocks.empty())
        throw ECorvinaError("Error : No mother covering or guide filters have been defined.");
}

THitsDisplayClass::THitsDisplayClass(const TCoverClass& cover, int mainM, bool filtered,
                                     TIntArray allowedBlocks)
    : THitsDisplayClass(
          cover.Params.CurrentPointCount, cover.Params.CurrentBlockSize, mainM, filtered,
          [&cover] { return cover.BestSnapshot(); }, std::move(allowedBlocks)) {}

THitProfileStore* THitsDisplayClass::ProfileStore(int category) {
    return category >= 1 && category <= 12 ? &ProfileStores[category - 1] : nullptr;
}

int32_t THitsDisplayClass::DrawCount(int category) const {
    if (Filtered) return static_cast<int32_t>(AllowedBlocks.size());
    return Binomial(v, category);
}

void THitsDisplayClass::LoadBlockPoints() {
    if (BlockPointsLoaded) return;
    BlockPoints.clear();
    if (k >= 1 && k <= MaxBlockSize && BestRanks) {
        TShortIntArray points(static_cast<size_t>(k));
        for (int32_t rank : BestRanks())
            if (BlockFromRank(rank, v, points)) BlockPoints.push_back(points);
    }
    BlockPointsLoaded = true;
}

void THitsDisplayClass::Analyse(int m) {
    THitProfileStore* store = ProfileStore(m);
    if (!store) throw ECorvinaError(FormatText("DisplayDetails - error Hit request %d", m));
    if (v > MaxPointsForBlockSize(m)) return;
    LoadBlockPoints();
    if (Filtered && k != m) throw ECorvinaError("Filtered analysis : m <> k");

    store->Clear();
    Analysing = true;
    bool stopped = false;
    try {
        std::vector<uint64_t> lo, hi;
        for (const TShortIntArray& block : BlockPoints) {
            const TPointMask mask = PointMask(block);
            lo.push_back(mask.Lo);
            hi.push_back(mask.Hi);
        }
        const int32_t total = DrawCount(m);
        int8_t drawPoints[MaxBlockSize] = {};
        const std::span<int8_t> draw(drawPoints, static_cast<size_t>(m));
        size_t allowedIndex = 0;
        auto nextDraw = [&]() {
            if (!Filtered) return NextCombination(draw, v);
            while (allowedIndex < AllowedBlocks.size())
                if (BlockFromRank(AllowedBlocks[allowedIndex++], v, draw)) return true;
            return false;
        };
        int32_t done = 0;
        while (nextDraw()) {
            std::array<int32_t, 13> hits{};
            if (UseMasks && v <= 64)
                CountHitsNarrow(PointMask(draw), lo.data(), lo.size(), hits.data());
            else if (UseMasks)
                CountHitsWide(PointMask(draw), lo.data(), hi.data(), lo.size(), hits.data());
            else
                for (const TShortIntArray& block : BlockPoints)
                    ++hits[CommonPointCount(draw, block)];
            AddProfile(*store, hits, m);
            ++done;
            if (StopRequested) {
                stopped = true;
                break;
            }
            if (OnProgress) OnProgress(done, total);
        }
    } catch (...) {
        store->Clear();
        StopRequested = false;
        Analysing = false;
        throw;
    }
    // A stopped category shows nothing partial and is computed anew next time.
    if (stopped)
        store->Clear();
    else
        store->Sort(
            [](const std::unique_ptr<THitProfile>& a, const std::unique_ptr<THitProfile>& b) {
                for (int j = TopLevelIndex; j >= 1; --j)
                    if (a->Hits[j] != b->Hits[j]) return a->Hits[j] > b->Hits[j] ? -1 : 1;
                return 0;
            });
    StopRequested = false;
    Analysing = false;
    if (OnProgress) OnProgress(0, 0);
}

void THitsDisplayClass::Show(int category, int fold) {
    if (Analysing) return;
    THitProfileStore* store = ProfileStore(category);
    if (!store) throw ECorvinaError(FormatText("DisplayDetails - error Hit request %d", category));
    if (store->IsEmpty()) Analyse(category);
    ShownCategory = category;
    ShownFold = std::clamp(fold, 0, 12);
    RunningDraws.clear();
    NoHitDraws.fill(0);
    FoldProfiles(*store, ShownFold, FoldedRows);
    UpdateSums();
}

void THitsDisplayClass::SortOnOccurrence() {
    corvina::SortOnOccurrence(FoldedRows);
    UpdateSums();
}

void THitsDisplayClass::UpdateSums() {
    RunningDraws.assign(static_cast<size_t>(FoldedRows.Count()), 0);
    NoHitDraws.fill(0);
    int64_t sum = 0;
    for (int i = 1; i <= FoldedRows.Count(); ++i) {
        const TFoldedRow* row = FoldedRows.GetRecord(i);
        sum += row->Draws;
        RunningDraws[i - 1] = sum;
        // Draws in which no block reaches d matches.
        const int top = TopLevel(row->Low);
        for (int d = 0; d <= TopLevelIndex; ++d)
            if (top < d && row->Low[d] == 0) NoHitDraws[d] += row->Draws;
    }
}

std::string THitsDisplayClass::CellText(int col, int row) const {
    const int rowCount = FoldedRows.Count();
    if (row < 0 || row > rowCount + 2) throw ECorvinaError("SG-Error 1");
    if (col < 0 || col >= ColCount()) return std::string();
    const int32_t total = DrawCount(ShownCategory);
    auto percent = [total](int64_t draws) {
        return FormatText("%7.2f", total > 0 ? static_cast<double>(draws) / total * 100 : 0.0) +
               "%";
    };
    const int level = k - (col - 1); // columns 1..k+1 hold the levels k..0
    const bool levelColumn = col >= 1 && col <= k + 1 && level >= 0 && level <= TopLevelIndex;
    if (row == 0) {
        if (levelColumn) return std::to_string(level);
        if (col == k + 2) return "Total";
        if (col == k + 3) return "%";
        if (col == k + 4) return "Sum %";
        return std::string();
    }
    if (row <= rowCount) {
        const TFoldedRow* r = FoldedRows.GetRecord(row);
        if (!r) throw ECorvinaError("SG-Error 1");
        if (levelColumn)
            return r->Low[level] == r->High[level]
                       ? std::to_string(r->Low[level])
                       : FormatText("%d - %d", r->Low[level], r->High[level]);
        if (col == k + 2) return std::to_string(r->Draws);
        if (col == k + 3) return percent(r->Draws);
        if (col == k + 4) return percent(RunningDraws[row - 1]);
        return std::string();
    }
    if (row == rowCount + 1) {
        if (col == 0) return "0H";
        if (levelColumn) return std::to_string(NoHitDraws[level]);
        if (col == k + 2) return std::to_string(total);
        return std::string();
    }
    if (col == 0) return "0%";
    if (levelColumn) return percent(NoHitDraws[level]);
    return std::string();
}

std::string THitsDisplayClass::ClipboardText() const {
    std::vector<std::vector<std::string>> cells(static_cast<size_t>(RowCount()));
    size_t longest = 0;
    for (int row = 0; row < RowCount(); ++row)
        for (int col = 0; col < ColCount(); ++col) {
            cells[row].push_back(CellText(col, row));
            longest = std::max(longest, cells[row].back().size());
        }
    const int width = static_cast<int>(longest) + 1;
    const std::string rule = std::string(static_cast<size_t>(width) * ColCount(), '-') + "\r\n";
    std::string text = "Details information on " + std::to_string(ShownCategory) + " hits";
    if (Filtered) text += " (Filtered)";
    text += "\r\n" + rule;
    for (size_t row = 0; row < cells.size(); ++row) {
        for (const std::string& cell : cells[row]) text += FormatText("%*s", width, cell.c_str());
        text += "\r\n";
        if (row == 0) text += rule;
    }
    return text;
}

std::string THitsDisplayClass::Caption() const {
    return Filtered ? "Detailed Hits Analysis (Filtered)" : "Detailed Hits Analysis";
}

} // namespace corvina

#pragma once
// Hands out the sorted covered-rank list of any block, keeping as many lists as a
// memory budget allows: a table of every Stride-th block, a cache of the lists of
// the blocks at each position of the current covering, and two scratch slots.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CoverEngineDataU.h"
#include "core/CoverU.h"
#include "core/TypesU.h"

namespace corvina {

// Told (lists built, lists to build) while the whole table is built at the start;
// returning false ends the building there (the rest is built on first use).
using TSpeedupProgress = std::function<bool(int64_t done, int64_t total)>;

class TCoverSpeedupClass {
  public:
    // `cover` supplies the blocks of the current covering by position.
    TCoverSpeedupClass(TCoverEngineDataClass& data, const TCoverClass& cover, TIntArray filterList,
                       int64_t budgetMB, bool enableSpecialSpeedup, bool buildComplete,
                       const TSpeedupProgress& progress = {});

    // The covered list of the block with `rank`, ascending; `position` is its 1-based position
    // in the current covering (which must hold that rank) or 0 for a block outside
    // it. Valid until the same slot is filled again.
    const int32_t* GetList(int32_t rank, int position);
    void ResizePositionCache();
    std::string UsageText() const;

    int32_t Stride() const { return FStride; }
    int32_t TableSlots() const { return FTableSlots; }
    int32_t TableFilled() const { return FTableFilled; }
    bool PositionCacheEnabled() const { return FPositionCacheEnabled; }
    int PositionEntries() const { return static_cast<int>(PositionRanks.size()); }
    // Where the last GetList was served from, for tests and measurements.
    enum TSource { srcTable, srcPosition, srcScratch };
    TSource LastSource() const { return FLastSource; }

  private:
    void Configure(int64_t budgetMB, bool enableSpecialSpeedup, bool buildComplete,
                   const TSpeedupProgress& progress);
    void Compute(int32_t* list, int32_t rank, int position);
    int32_t* TableSlot(int32_t slot);
    const int32_t* FromTable(int32_t slot, int32_t rank, int position);
    const int32_t* FromPositionCache(int32_t rank, int position);
    const int32_t* FromScratch(int32_t rank, int position);

    TCoverEngineDataClass& Data;
    const TCoverClass& Cover;
    const TIntArray FilterList;
    const size_t ListLength;
    TBlockParameters Params; // v and k of the engine, for scratch complements
    TShortIntArray ScratchPoints, ScratchComplement;
    int32_t SlotARank = -1, SlotBRank = -1;
    TIntArray SlotA, SlotB;
    // One flat allocation for all table lists; pages are touched only when a slot
    // is first computed.
    std::unique_ptr<int32_t[]> Table;
    std::vector<uint8_t> TableReady;
    int32_t FStride = 0;
    int32_t FTableSlots = 0;
    int32_t FTableFilled = 0;
    bool FPositionCacheEnabled = false;
    TIntArray PositionLists; // flat, ListLength per position
    TIntArray PositionRanks;
    TSource FLastSource = srcScratch;
};

// Splits `budgetMB` between engines in proportion to the size of their complete
// tables (CoverPerBlock x PossibleBlockCount), rounded half to even.
std::vector<int64_t> SplitTabulationBudget(int64_t budgetMB, const std::vector<double>& tableSizes);

} // namespace corvina

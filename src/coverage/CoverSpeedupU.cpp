#include "CoverSpeedupU.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "core/StringU.h"
#include "core/nCkU.h"

namespace corvina {

TCoverSpeedupClass::TCoverSpeedupClass(TCoverEngineDataClass& data, const TCoverClass& cover,
                                       TIntArray filterList, int64_t budgetMB,
                                       bool enableSpecialSpeedup, bool buildComplete,
                                       const TSpeedupProgress& progress)
    : Data(data), Cover(cover), FilterList(std::move(filterList)),
      ListLength(static_cast<size_t>(data.CoverPerBlock)), ScratchPoints(data.k),
      ScratchComplement(static_cast<size_t>(data.v - data.k + 1)), SlotA(ListLength),
      SlotB(ListLength) {
    Params.SetBlockParameters(data.v, data.k);
    Configure(std::max<int64_t>(budgetMB, 0), enableSpecialSpeedup, buildComplete, progress);
}

void TCoverSpeedupClass::Configure(int64_t budgetMB, bool enableSpecialSpeedup, bool buildComplete,
                                   const TSpeedupProgress& progress) {
    Table.reset();
    TableReady.clear();
    PositionLists.clear();
    PositionRanks.clear();
    FStride = 0;
    FTableSlots = 0;
    const int64_t n =
        FilterList.empty() ? Binomial(Data.v, Data.k) : static_cast<int64_t>(FilterList.size());
    // 262 144 four-byte integers make a megabyte. 64-bit arithmetic so that large
    // budgets still give a table; never more lists than blocks.
    int64_t lists = ListLength ? budgetMB * 262144 / static_cast<int64_t>(ListLength) : 0;
    lists = std::min(lists, n);
    while (lists > 0) {
        const int64_t stride = (n - 1) / lists + 1;
        const int64_t slots = (n - 1) / stride + 1;
        try {
            Table.reset(new int32_t[static_cast<size_t>(slots) * ListLength]);
            TableReady.assign(static_cast<size_t>(slots), 0);
            FStride = static_cast<int32_t>(stride);
            FTableSlots = static_cast<int32_t>(slots);
            break;
        } catch (const std::bad_alloc&) {
            // More than the process can allocate: settle for a coarser table.
            Table.reset();
            lists /= 2;
        }
    }
    FPositionCacheEnabled = enableSpecialSpeedup && FStride != 1;
    if (FPositionCacheEnabled) ResizePositionCache();
    if (buildComplete)
        for (int32_t slot = 0; slot < FTableSlots; ++slot) {
            // Long for large designs: report now and then, and stop when asked.
            if (progress && slot % 256 == 0 && !progress(slot, FTableSlots)) break;
            const int32_t index = slot * FStride;
            Compute(TableSlot(slot), FilterList.empty() ? index : FilterList[index], 0);
            TableReady[slot] = 1;
            ++FTableFilled;
        }
}

int32_t* TCoverSpeedupClass::TableSlot(int32_t slot) {
    return Table.get() + static_cast<size_t>(slot) * ListLength;
}

void TCoverSpeedupClass::Compute(int32_t* list, int32_t rank, int position) {
    const TCoveringBlock* block = position >= 1 ? Cover.Block(position) : nullptr;
    if (block && block->Rank == rank) {
        Data.CoveredRanks(block->Points.data(), block->Complement.data(), list);
        return;
    }
    BlockFromRank(rank, Data.v, Data.k, ScratchPoints.data());
    BuildComplement(Params, ScratchPoints, ScratchComplement);
    Data.CoveredRanks(ScratchPoints.data(), ScratchComplement.data(), list);
}

// Table slots are computed on first use and never change afterwards.
const int32_t* TCoverSpeedupClass::FromTable(int32_t slot, int32_t rank, int position) {
    int32_t* list = TableSlot(slot);
    if (!TableReady[slot]) {
        Compute(list, rank, position);
        TableReady[slot] = 1;
        ++FTableFilled;
    }
    FLastSource = srcTable;
    return list;
}

const int32_t* TCoverSpeedupClass::FromPositionCache(int32_t rank, int position) {
    const size_t index = static_cast<size_t>(position - 1);
    int32_t* list = PositionLists.data() + index * ListLength;
    if (PositionRanks[index] != rank) {
        Compute(list, rank, position);
        PositionRanks[index] = rank;
    }
    FLastSource = srcPosition;
    return list;
}

const int32_t* TCoverSpeedupClass::FromScratch(int32_t rank, int position) {
    int32_t& slotRank = position >= 1 ? SlotARank : SlotBRank;
    TIntArray& slot = position >= 1 ? SlotA : SlotB;
    if (slotRank != rank) {
        Compute(slot.data(), rank, position);
        slotRank = rank;
    }
    FLastSource = srcScratch;
    return slot.data();
}

const int32_t* TCoverSpeedupClass::GetList(int32_t rank, int position) {
    const bool cached = FPositionCacheEnabled && position > 0 &&
                        static_cast<size_t>(position) <= PositionRanks.size();
    if (FilterList.empty()) {
        // A full table (stride 1) is the common case for small designs: no division.
        const bool inTable =
            FStride == 1 ? static_cast<uint32_t>(rank) < static_cast<uint32_t>(FTableSlots)
                         : FStride > 0 && rank % FStride == 0 && rank / FStride < FTableSlots;
        if (inTable) return FromTable(FStride == 1 ? rank : rank / FStride, rank, position);
        if (cached) return FromPositionCache(rank, position);
        return FromScratch(rank, position);
    }
    if (cached) return FromPositionCache(rank, position);
    if (FStride > 0) {
        const int j = SearchSorted(rank, FilterList);
        if (j >= 0 && j % FStride == 0 && j / FStride < FTableSlots)
            return FromTable(j / FStride, rank, position);
    }
    return FromScratch(rank, position);
}

void TCoverSpeedupClass::ResizePositionCache() {
    if (!FPositionCacheEnabled) return;
    const size_t blocks = static_cast<size_t>(Cover.BlockCount());
    // Shrinking keeps the entries of the remaining positions; they are checked by
    // rank before reuse.
    PositionRanks.resize(blocks, -1);
    PositionLists.resize(blocks * ListLength);
}

std::string TCoverSpeedupClass::UsageText() const {
    const double divisor = FilterList.empty() ? static_cast<double>(Binomial(Data.v, Data.k))
                                              : static_cast<double>(FilterList.size());
    const double share = divisor > 0 ? FTableSlots / divisor : 0;
    const double used = divisor > 0 ? FTableFilled / divisor : 0;
    std::string text =
        FormatText("%2.2f", share * 100) + "%" + FormatText(" (current %2.2f", used * 100) + "%)";
    if (FPositionCacheEnabled) {
        const double all = static_cast<double>(Binomial(Data.v, Data.k));
        text += FormatText(" / cover %5.5f", PositionRanks.size() / all * 100) + "%";
    }
    return text;
}

std::vector<int64_t> SplitTabulationBudget(int64_t budgetMB,
                                           const std::vector<double>& tableSizes) {
    double total = 0;
    for (double s : tableSizes) total += s;
    if (total == 0) total = 1;
    std::vector<int64_t> shares;
    for (double s : tableSizes)
        shares.push_back(static_cast<int64_t>(std::nearbyint(budgetMB * s / total)));
    return shares;
}

} // namespace corvina

#include "CoverU.h"

#include <memory>

#include "ErrorsU.h"

namespace corvina {

bool TCoverClass::ContainsRank(int32_t rank) const {
    for (int pos = 1; pos <= BlockCount(); ++pos)
        if (Block(pos)->Rank == rank) return true;
    return false;
}

bool TCoverClass::BestHasDuplicates() const {
    int pos = 0;
    return BestRanks.HasDuplicates(pos);
}

void TCoverClass::AddBlock(int32_t rank) {
    if (rank < 0 || rank >= Params.PossibleBlockCount) return;
    Blocks.AddRecord(std::make_unique<TCoveringBlock>(Params, rank));
    StoreBest();
}

void TCoverClass::RemoveBlock(int pos, bool update) {
    if (Blocks.DeleteRecord(pos) && update) StoreBest();
}

void TCoverClass::StoreBest() {
    std::lock_guard lock(BestLock);
    BestRanks.SetSortMode(TIntegerStore::smNone);
    BestRanks.Clear();
    for (int pos = 1; pos <= BlockCount(); ++pos) {
        const TCoveringBlock* block = Block(pos);
        if (!block) throw ECorvinaError("Covering - Error copying best covering");
        BestRanks.AddInteger(block->Rank);
    }
    BestRanks.SetSortMode(TIntegerStore::smAscending);
}

void TCoverClass::RestoreBest() {
    int a = 1;
    int32_t rank = 0;
    while (BestRanks.GetInteger(a, rank) && Block(a)) {
        Block(a)->ResetFromRank(rank);
        ++a;
    }
    if (a != BlockCount() + 1) throw ECorvinaError("Covering - Error restoring best covering");
}

void TCoverClass::CreateRandom(int count, TtdBasePRNG& random) {
    Blocks.Clear();
    for (int i = 0; i < count; ++i)
        Blocks.AddRecord(
            std::make_unique<TCoveringBlock>(Params, random.AsInteger(Params.PossibleBlockCount)));
    StoreBest();
}

void TCoverClass::ClearAll() {
    std::lock_guard lock(BestLock);
    BestRanks.SetSortMode(TIntegerStore::smNone);
    BestRanks.Clear();
    Blocks.Clear();
}

} // namespace corvina

namespace corvina {

std::vector<int32_t> TCoverClass::BestSnapshot() const {
    std::lock_guard lock(BestLock);
    return BestRanks.Values();
}

} // namespace corvina

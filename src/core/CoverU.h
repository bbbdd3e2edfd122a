#pragma once
// The covering store: the current covering (ordered blocks) and the best covering
// (ascending ranks), with the block parameters of the run.
#include <cstdint>

#include "BasePRNGU.h"
#include "BaseStoreU.h"
#include "CoveringBlockU.h"

namespace corvina {

class TCoverClass {
  public:
    TIntegerStore BestRanks;
    TRecordStore<TCoveringBlock> Blocks;
    TBlockParameters Params;

    bool SetBlockParameters(int v, int k) { return Params.SetBlockParameters(v, k); }

    int BlockCount() const { return Blocks.Count(); }
    TCoveringBlock* Block(int pos) const { return Blocks.GetRecord(pos); }
    bool ContainsRank(int32_t rank) const;
    bool BestHasDuplicates() const;
    void AddBlock(int32_t rank);
    void RemoveBlock(int pos, bool update);
    void StoreBest();
    void RestoreBest();
    void CreateRandom(int count, TtdBasePRNG& random);
    void ClearAll();
};

} // namespace corvina

#pragma once
// The covering store: the current covering (ordered blocks) and the best covering
// (ascending ranks), with the block parameters of the run.
#include <cstdint>
#include <mutex>
#include <vector>

#include "BasePRNGU.h"
#include "BaseStoreU.h"
#include "CoveringBlockU.h"

namespace corvina {

class TCoverClass {
  public:
    // Written only on the owning thread, and then under BestLock (StoreBest,
    // ClearAll), so that a worker can take a consistent copy at any time.
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
    // A consistent copy of the best covering's ranks, safe to take from any thread.
    std::vector<int32_t> BestSnapshot() const;

  private:
    mutable std::mutex BestLock;
};

} // namespace corvina

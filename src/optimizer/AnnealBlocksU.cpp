// Block count changes requested by the user, and auto-reduce to the L rate.
#include <algorithm>

#include "AnnealU.h"
#include "EnvU.h"
#include "ProgramU.h"
#include "core/StringU.h"

namespace corvina {

void TAnnealEngineClass::RequestBlockChange(int32_t n) {
    const int b = P.Cover.BlockCount();
    if (n < 0 && static_cast<int64_t>(n) + b <= 0) n = 1 - b;
    PendingBlockChange = n;
}

void TAnnealEngineClass::AddBlocks() {
    if (PendingBlockChange == 0) return;
    AutoSaveNow();
    RevertToBest();
    const int b = P.Cover.BlockCount();
    if (!AllowedBlocks.empty() &&
        static_cast<int64_t>(AllowedBlocks.size()) < static_cast<int64_t>(b) + PendingBlockChange)
        P.Host.WarningBox(
            FormatText("The produced guidance allowed blocks are fewer (%d blocks) to "
                       "the blocks of the covering. Duplicate blocks will occur.",
                       static_cast<int>(AllowedBlocks.size())));
    for (int32_t n = 0; n < PendingBlockChange; ++n) {
        int index = -1;
        int32_t rank;
        if (!AllowedBlocks.empty()) {
            index = P.Random.AsInteger(static_cast<int32_t>(AllowedBlocks.size()));
            rank = AllowedBlocks[index];
        } else {
            rank = P.Random.AsInteger(P.Cover.Params.PossibleBlockCount);
        }
        P.Cover.AddBlock(rank);
        P.Host.ShowBlockCount(P.Cover.BlockCount());
        if (index >= 0) P.Cover.Block(P.Cover.BlockCount())->GuideIndex = index;
    }
    PendingBlockChange = 0;
    LastAutoSaved.clear();
    ResetStatistics();
}

void TAnnealEngineClass::RemoveBlocks(int block, bool saveBest) {
    AutoSaveNow();
    if (block > 0) {
        P.Cover.RemoveBlock(block, saveBest);
    } else {
        RevertToBest();
        ResetStatistics();
        for (int32_t n = PendingBlockChange; n < 0; ++n) {
            const int pick = PickBlockToRemove(false);
            if (pick > 0) P.Cover.RemoveBlock(pick, saveBest);
        }
    }
    PendingBlockChange = 0;
    P.Host.ShowBlockCount(P.Cover.BlockCount());
    LastAutoSaved.clear();
    ResetStatistics();
}

bool TAnnealEngineClass::FilteredMode() const {
    const TCoverEngineClass* main = P.Engines.Engine(1);
    return !AllowedBlocks.empty() && main && main->Data->m == main->Data->k;
}

bool TAnnealEngineClass::RateHolds(int32_t loss) const {
    const TCoverEngineClass* main = P.Engines.Engine(1);
    if (!main) return false;
    const double rate = main->Data->LRate;
    if (FilteredMode()) {
        const double a = static_cast<double>(AllowedBlocks.size());
        return (a - main->FilteredUncoveredCount() - loss) / a >= rate;
    }
    const double total = main->Data->MSubsetTotal;
    return (total - main->UncoveredCount() - loss) / total >= rate;
}

int TAnnealEngineClass::PickBlockToRemove(bool autoReduce) {
    if (P.Cover.BlockCount() <= 1) return 0;
    TCoverEngineClass* main = P.Engines.Engine(1);
    if (!main) return 0;
    const bool filtered = FilteredMode();
    int result = 0;
    bool removed = false;
    do {
        ReduceCandidates.clear();
        bool stoppedEarly = false;
        for (int n = P.Cover.BlockCount(); n >= 1; --n) {
            const int32_t d = main->DependencyCount(n, filtered);
            ReduceCandidates.emplace_back(n, d);
            if (d == 0 && RateHolds(0)) {
                stoppedEarly = true;
                break;
            }
        }
        if (!stoppedEarly) {
            const bool highest = P.Settings.RemoveHighestDependency;
            std::sort(ReduceCandidates.begin(), ReduceCandidates.end(),
                      [highest](const auto& a, const auto& b) {
                          return highest ? a.second > b.second : a.second < b.second;
                      });
        }
        if (ReduceCandidates.empty()) break;
        const auto [c, e] = stoppedEarly ? ReduceCandidates.back() : ReduceCandidates.front();
        result = c;
        if (!autoReduce || !RateHolds(e)) break;
        RemoveBlocks(c, false);
        removed = true;
    } while (P.Env.RunState == rsRunning && P.Cover.BlockCount() > 1);
    if (removed) P.Cover.StoreBest();
    return result;
}

} // namespace corvina

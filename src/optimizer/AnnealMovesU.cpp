// The move loop: move procedures, the acceptance rule and committing a move.
#include <cmath>
#include <vector>

#include "AnnealU.h"
#include "EnvU.h"
#include "ProgramU.h"
#include "core/nCkU.h"

namespace corvina {

namespace {

struct TExpNegTable {
    std::vector<double> Entries;
    TExpNegTable() {
        // x is accumulated by subtraction, as the table has always been built.
        double x = 0;
        for (;;) {
            const double e = std::exp(x);
            Entries.push_back(e);
            if (e < 1e-8 || Entries.size() - 1 > 100000) break;
            x -= 0.001;
        }
    }
};

const TExpNegTable& ExpNegTable() {
    static const TExpNegTable table;
    return table;
}

constexpr double NoGain = -1e38;

} // namespace

int ExpNegTableSize() {
    return static_cast<int>(ExpNegTable().Entries.size());
}

double ExpNeg(double x) {
    const std::vector<double>& t = ExpNegTable().Entries;
    const double a = -x;
    if (!(a <= (t.size() - 1) * 0.001)) return t.back();
    const size_t i = static_cast<size_t>(a / 0.001);
    return t[i < t.size() ? i : t.size() - 1];
}

void TAnnealEngineClass::RunLoop() {
    struct TActive {
        bool& Flag;
        ~TActive() { Flag = false; }
    } active{LoopActive};
    LoopActive = true;
    while (Running && P.Env.RunState == rsRunning) {
        if (RestartRequested) RestartFromBest();
        if (PendingBlockChange > 0)
            AddBlocks();
        else if (PendingBlockChange < 0)
            RemoveBlocks(0, true);
        if (AutoReduce) PickBlockToRemove(true);
        CommitMove(UseCyclic ? CyclicMove() : StandardMove());
        P.Host.ProcessMessages();
    }
}

double TAnnealEngineClass::Gain(int block, int32_t oldRank, int32_t newRank) {
    // Filters in normal mode would add their term here; none exist yet.
    return P.Engines.EvaluateMove(oldRank, newRank, block);
}

// The acceptance test: false when the candidate is not better than the best gain
// recorded in this call (that ends the attempt on the block).
bool TAnnealEngineClass::Accept(double g, double r, double& bestGain, int& chosen, int block,
                                int32_t newRank) {
    if (g <= bestGain) return false;
    if (g >= 0 || ExpNeg(g / Bias) > r) {
        bestGain = g;
        chosen = block;
        P.Cover.Block(block)->PendingRank = newRank;
    }
    return true;
}

// A block other than the chosen one; 0 when there is none to draw (one block).
int TAnnealEngineClass::DrawBlock(int chosen) {
    const int b = P.Cover.BlockCount();
    if (b < 1 || (b == 1 && chosen == 1)) return 0;
    int i;
    do i = 1 + P.Random.AsInteger(b);
    while (i == chosen);
    return i;
}

// One point of the block exchanged for one of its complement, at random.
int32_t TAnnealEngineClass::RandomExchange(int block) {
    const TCoveringBlock& b = *P.Cover.Block(block);
    const int k = static_cast<int>(b.Points.size());
    int8_t* c = Candidate.data();
    std::copy(b.Points.begin(), b.Points.end(), c);
    const int8_t point = b.Complement[1 + P.Random.AsInteger(b.Complement[0])];
    int pos = P.Random.AsInteger(k);
    c[pos] = point;
    // Only the new point is out of place: move it to where it belongs.
    while (pos > 0 && c[pos - 1] > c[pos]) {
        std::swap(c[pos - 1], c[pos]);
        --pos;
    }
    while (pos + 1 < k && c[pos + 1] < c[pos]) {
        std::swap(c[pos + 1], c[pos]);
        ++pos;
    }
    return BlockRankUnchecked(c, P.Cover.Params.CurrentPointCount, k, RankTables);
}

// After each sampled block: raise the bias when nothing is acceptable yet, and say
// whether sampling ends (a recorded replacement was not beaten, or a command came).
bool TAnnealEngineClass::SampledBlockEnds(int chosen, const TCoveringBlock& block) {
    if (chosen == 0 && block.PendingRank == -1) Bias += BiasStep;
    return (chosen > 0 && block.PendingRank < 0) || !Running || PendingBlockChange != 0 ||
           P.Env.RunState != rsRunning;
}

int TAnnealEngineClass::StandardMove() {
    double bestGain = NoGain;
    int chosen = 0;
    const int v = P.Cover.Params.CurrentPointCount, k = P.Cover.Params.CurrentBlockSize;
    for (;;) {
        const double r = P.Random.AsFloat();
        const int i = DrawBlock(chosen);
        if (i == 0) return chosen;
        TCoveringBlock& block = *P.Cover.Block(i);
        block.PendingRank = -1;
        do {
            int32_t newRank;
            if (AllowedBlocks.empty()) {
                newRank = RandomExchange(i);
            } else {
                const size_t row = static_cast<size_t>(block.GuideIndex) * v * k;
                const int32_t count =
                    (!Neighbours.empty() && block.GuideIndex >= 0 && row < Neighbours.size())
                        ? Neighbours[row]
                        : 0;
                if (count > 0)
                    newRank = AllowedBlocks[Neighbours[row + 1 + P.Random.AsInteger(count)]];
                else
                    newRank = AllowedBlocks[P.Random.AsInteger(
                        static_cast<int32_t>(AllowedBlocks.size()))];
                if (HasScoringFilters) BlockFromRank(newRank, v, k, Candidate.data());
            }
            const double g = Gain(i, block.Rank, newRank);
            P.Host.ProcessMessages();
            if (!Accept(g, r, bestGain, chosen, i, newRank)) break;
        } while (Extensive && block.PendingRank >= 0);
        if (SampledBlockEnds(chosen, block)) break;
    }
    return chosen;
}

int TAnnealEngineClass::CyclicMove() {
    double bestGain = NoGain;
    int chosen = 0;
    const int v = P.Cover.Params.CurrentPointCount, k = P.Cover.Params.CurrentBlockSize;
    TShortIntArray indices(static_cast<size_t>(k));
    for (;;) {
        const double r = P.Random.AsFloat();
        const int i = DrawBlock(chosen);
        if (i == 0) return chosen;
        TCoveringBlock& block = *P.Cover.Block(i);
        block.PendingRank = -1;
        P.Engines.RankPointsByDemand(i, Ranking);
        const int n = Ranking[0];
        for (int j = 0; n > 0;) {
            if (n >= k) {
                BlockFromRank(j, v, indices);
                for (int q = 0; q < k; ++q) Candidate[q] = static_cast<int8_t>(Ranking[indices[q]]);
            } else {
                for (int q = 0; q < n; ++q) Candidate[q] = static_cast<int8_t>(Ranking[q + 1]);
                // Completed by the smallest points not among the most needed.
                int q = n;
                for (int p = 1; q < k && p <= v; ++p)
                    if (std::find(Candidate.begin(), Candidate.begin() + n, p) ==
                        Candidate.begin() + n)
                        Candidate[q++] = static_cast<int8_t>(p);
            }
            std::sort(Candidate.begin(), Candidate.end());
            const int32_t newRank = BlockRank(Candidate.data(), v, k);
            if (newRank == block.Rank) break;
            const double g = Gain(i, block.Rank, newRank) / TotalWeight;
            P.Host.ProcessMessages();
            if (g < 0) break;
            if (!FullCyclic && g <= bestGain) break;
            if (g >= bestGain) {
                bestGain = g;
                chosen = i;
                block.PendingRank = newRank;
            }
            if (++j >= n || !Running) break;
        }
        do {
            const int32_t newRank = RandomExchange(i);
            const double g = Gain(i, block.Rank, newRank) / TotalWeight;
            P.Host.ProcessMessages();
            if (!Accept(g, r, bestGain, chosen, i, newRank)) break;
        } while (Extensive && block.PendingRank >= 0);
        if (SampledBlockEnds(chosen, block)) break;
    }
    return chosen;
}

void TAnnealEngineClass::CommitMove(int i) {
    if (i == 0) return;
    TCoveringBlock* block = P.Cover.Block(i);
    if (!block || block->PendingRank < 0) return;
    const int32_t newRank = block->PendingRank;
    const int v = P.Cover.Params.CurrentPointCount, k = P.Cover.Params.CurrentBlockSize;
    BlockFromRank(newRank, v, k, Candidate.data());
    TCoverEngines& engines = P.Engines;
    // The trial counts are still those of this move when it was the last evaluated.
    if (!engines.Holds(block->Rank, newRank, i)) engines.EvaluateMove(block->Rank, newRank, i);
    engines.ApplyMove();
    block->ResetFromRank(newRank);
    if (!AllowedBlocks.empty()) block->GuideIndex = SearchSorted(newRank, AllowedBlocks);
    MovesSinceImprovement = SaturatingAdd(MovesSinceImprovement, 1);
    ++AppliedMoves;
    const double x = engines.ImprovementOverBest();
    if (x > 0) {
        P.Cover.StoreBest();
        engines.StoreBestCounts();
        if (P.Options.ImprovementAutoSaveMode) StartAutoSaveTimer();
        if (P.Options.ImprovementSoundMode) P.Host.PlaySound(P.Options.ImprovementSoundName);
        Improvements = SaturatingAdd(Improvements, 1);
        EqualMoves = 0;
        MovesSinceImprovement = 0;
        P.Host.RefreshBestWindow();
        if (OnBestChanged) OnBestChanged();
    } else if (x == 0) {
        EqualMoves = SaturatingAdd(EqualMoves, 1);
    }
    Bias *= BiasDecay;
    ReportPending = true;
    P.Host.RefreshCurrentWindow();
    P.Host.ProcessMessages();
}

} // namespace corvina

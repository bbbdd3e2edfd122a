#pragma once
// The optimizer: simulated annealing over the blocks of the covering. Runs on the
// caller's thread inside StartRun; commands reach it through flags that the loop
// reads between moves.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "HostU.h"
#include "core/TypesU.h"
#include "core/nCkU.h"

namespace corvina {

class TProgram;
class TCoveringBlock;

// exp(x) for x <= 0 from a table with step 0.001 (no interpolation).
double ExpNeg(double x);
int ExpNegTableSize();

// Captions of the two bias sliders for a position.
std::string BiasExpansionCaption(int position);
std::string BiasTensionCaption(int position);

// Neighbour table of an ascending rank list: row i (v * k entries) holds the
// number of blocks differing from block i in one point, then their list indices.
TIntArray BuildNeighbourTable(const TIntArray& allowed, int v, int k);

class TAnnealEngineClass {
  public:
    explicit TAnnealEngineClass(TProgram& program);
    ~TAnnealEngineClass();
    TAnnealEngineClass(const TAnnealEngineClass&) = delete;
    TAnnealEngineClass& operator=(const TAnnealEngineClass&) = delete;

    // Fields, in the order the program keeps them.
    bool ReportPending = true;
    bool Running = false;
    bool RestartRequested = false;
    bool AutoReduce = false;
    bool Extensive = false;
    bool Cyclic = false;
    bool FullCyclic = false;
    std::string SaveFolder;
    THost::TTimerId ReportTimer = -1;
    THost::TTimerId AutoSaveTimer = -1; // -1: none
    int32_t MovesSinceImprovement = 0;
    int32_t EqualMoves = 0;
    int32_t Improvements = 0;
    int32_t PendingBlockChange = 0;
    bool FilteredImport = false;
    bool FullConstruction = false;
    TIntArray AllowedBlocks;
    TIntArray Neighbours;
    std::vector<std::pair<int, int32_t>> ReduceCandidates;
    TShortIntArray Candidate;
    double TotalWeight = 0;
    double Bias = 0;
    double BiasStep = 0;
    double BiasDecay = 0;
    bool HasScoringFilters = false;
    int32_t GraphPoints = 0;
    int64_t AppliedMoves = 0; // for speed figures
    // The bias graph's series: (snapshot number, bias), at most 60 points.
    std::deque<std::pair<int32_t, double>> GraphSeries;
    std::string LastAutoSaved;
    TReportTexts Report;
    // The loop is on the stack: engines, filters and blocks must not be freed now.
    bool LoopActive = false;
    // A clear that arrived while the loop ran; done as soon as the loop has ended.
    bool ClearPending = false;
    // Called whenever the best covering's counts change: after an improvement and
    // after every recount. Runs on the loop's thread, between moves, like a command.
    std::function<void()> OnBestChanged;
    // Told how far the building of whole speedup tables has come ("Build complete
    // speedup on startup"); returning false leaves the rest to be built on use.
    std::function<bool(int64_t done, int64_t total)> OnSpeedupBuild;

    // Preparation and run control.
    void ResetRun();
    void PrepareEngines();
    void CreateCoverageEngines();
    void CreateFilters();
    int32_t BuildAllowedBlocks(bool countOnly);
    void FitCoveringToAllowed();
    void SplitTabulationMemory();
    void UpdateCoverageEnginesParams();
    void UpdateFilterEnginesParams();
    void ValidateSettings(bool secondPass);
    void StartRun();
    void PauseRun();
    void RestartFromBest();
    void RevertToBest();
    void ResetStatistics();

    // The move loop.
    void RunLoop();
    int StandardMove();
    int CyclicMove();
    void CommitMove(int block);

    // Block count changes.
    void RequestBlockChange(int32_t n);
    void AddBlocks();
    void RemoveBlocks(int block, bool saveBest);
    int PickBlockToRemove(bool autoReduce);
    void SetAutoReduce(bool flag) { AutoReduce = flag; }
    bool RateHolds(int32_t loss) const;

    // Report and graph.
    void BuildReport();
    void ClearBiasGraph();

    // Saving.
    std::string ProposeFileName(bool inverse, bool full);
    void Save(bool inverse, bool full);
    std::string CoveringClipboardText() const;
    void CopyToClipboard();
    void StartAutoSaveTimer();
    void AutoSaveTick();
    void AutoSaveNow();
    void SaveFullConstruction();

  private:
    double Gain(int block, int32_t oldRank, int32_t newRank);
    bool Accept(double g, double r, double& bestGain, int& chosen, int block, int32_t newRank);
    int DrawBlock(int chosen);
    bool SampledBlockEnds(int chosen, const TCoveringBlock& block);
    int32_t RandomExchange(int block);
    bool FilteredMode() const;
    void WriteCovering(const std::string& path, bool compressed, bool inverse, bool full,
                       const std::string& separator);

    TProgram& P;
    const detail::TRankTables& RankTables = detail::RankTables();
    bool UseCyclic = false;
    TIntArray Ranking;
};

} // namespace corvina

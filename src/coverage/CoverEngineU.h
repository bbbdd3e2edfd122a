#pragma once
// Coverage engines: how often every m-subset is covered by the current covering,
// and the weighted change of coverage a block replacement would bring.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CoverEngineDataU.h"
#include "CoverSpeedupU.h"
#include "core/BaseStoreU.h"
#include "core/CoverU.h"

namespace corvina {

// The settings the engines read at every full evaluation.
struct TCoverageReadings {
    int ImprovementMode = 1; // 0 "Absolute", 1 "Proportional"
    bool FilteredOverOverall = false;
    bool PointDemandEnabled = false; // search mode is one of the cyclic modes
};

class TCoverEngineClass {
  public:
    TCoverEngineClass(const TCoverClass& cover, int v, int k, int t, int m, int LBase,
                      double LRate);

    std::unique_ptr<TCoverEngineDataClass> Data;
    std::unique_ptr<TCoverSpeedupClass> Speedup;
    std::vector<int32_t> Counts;
    double PriorityFactor = 0;
    double Weight = 0;
    int32_t Covered = 0, TrialCovered = 0, BestCovered = 0;
    int32_t FilteredCovered = 0, TrialFilteredCovered = 0, BestFilteredCovered = 0;
    std::function<int()> PrioritySlider = [] { return 50; };
    int32_t FilteredDelta = 0;
    bool UseFilteredDelta = false;
    bool PointDemandEnabled = false;
    std::array<int32_t, 100> PointDemand{};
    int32_t OldRank = -1, NewRank = -1;
    const int32_t* OldList = nullptr;
    const int32_t* NewList = nullptr;
    TIntArray FilteredList;
    std::vector<uint8_t> FilterMark; // 1 for the ranks of FilteredList

    // Creates the speedup with this engine's share of the budget, then recounts.
    void CreateSpeedup(int64_t megabytes, bool enableSpecialSpeedup, bool buildComplete,
                       const TSpeedupProgress& progress = {});
    void Recount(bool pointDemandEnabled);
    // Change of Covered (and FilteredDelta) if the block at position c (rank a)
    // became rank b.
    int32_t Delta(int32_t a, int32_t b, int c);
    // Commits the move whose lists the last Delta fetched.
    void Apply();
    int32_t DependencyCount(int position, bool filteredOnly);
    int32_t UncoveredCount() const { return Data->MSubsetTotal - Covered; }
    int32_t FilteredUncoveredCount() const {
        return static_cast<int32_t>(FilteredList.size()) - FilteredCovered;
    }
    // A list fetched outside a move evaluation: forgets the lists held for moves,
    // whose slots it may refill.
    const int32_t* FetchList(int32_t rank, int position);

  private:
    template <bool Filtered> int32_t Walk(const int32_t* oldList, const int32_t* newList);
    void AddDemand(int32_t rank, int32_t amount);
    const TCoverClass& Cover;
    TShortIntArray SubsetScratch;
};

// The engine list (main engine first, additional second) with the values the
// engines share.
class TCoverEngines {
  public:
    explicit TCoverEngines(const TCoverClass& cover) : Cover(cover) {}

    TRecordStore<TCoverEngineClass> Engines;
    bool FilteredMode = false;
    int ImprovementMode = 1;
    bool FilteredOverOverall = false;
    int32_t PendingOld = -1, PendingNew = -1;
    int PendingPosition = 0;
    int64_t Evaluations = 0; // EvaluateMove calls, for speed figures
    // Reads the settings at the moment they are needed.
    std::function<TCoverageReadings()> Read = [] { return TCoverageReadings{}; };

    void ResetEngines();
    // Raises ECorvinaError for a requirement that cannot be built.
    TCoverEngineClass& CreateEngine(int v, int k, int t, int m, int LBase, double LRate);
    void SetFilteredList(const TIntArray& list); // main engine only
    int Count() const { return Engines.Count(); }
    TCoverEngineClass* Engine(int pos) const { return Engines.GetRecord(pos); }

    void Recount(TCoverEngineClass& engine);
    void RecountAll();
    double EvaluateMove(int32_t a, int32_t b, int c);
    void ApplyMove();
    // True when the last evaluation was this move and every engine still holds its
    // lists, so ApplyMove may follow without evaluating it again.
    bool Holds(int32_t a, int32_t b, int c) const;
    void StoreBestCounts();
    double ImprovementOverBest() const;
    void RefreshWeights();
    double WeightSum() const;
    // ranking gets v + 1 elements: [0] the number of points with demand, then the
    // points from most to least needed (ties in ascending order).
    void RankPointsByDemand(int position, TIntArray& ranking);
    std::string SpeedupUsageText(int pos) const;

  private:
    const TCoverClass& Cover;
    std::vector<TCoverEngineClass*> Fast; // the engines in list order, for the hot path
};

} // namespace corvina

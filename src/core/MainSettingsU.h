#pragma once
// The main window's settings as a model: every control writes its value here as it
// changes, and the optimizer reads it at the moments it needs a value.
#include <cstdint>
#include <string>
#include <vector>

#include "TypesU.h"

namespace corvina {

enum TSearchKind : int {
    skStandard = 0,
    skExtensive = 1,
    skStandardCyclic = 2,
    skExtensiveCyclic = 3
};

struct TMainSettings {
    // Covering parameters.
    int v = 20, k = 6, t = 4, m = 5;
    int LBase = 1;
    int32_t LRate = 10000; // hundredths of a percent: 10000 = 100 %
    int b = 10;
    bool Reduce = false; // "Auto-reduce blocks to L%"

    // Optimization page.
    int SearchKind = skStandard;
    bool FullCyclic = false;
    int ImprovementMode = 1;      // 0 "Absolute", 1 "Proportional"
    int VarBias = 0;              // "Bias Expansion", -999..1000
    int BiasMultiplier = 0;       // "Bias Tension", -1000..1000
    std::string MemAlloc = "256"; // "Additional memory available" (MB), as typed
    bool CoverSpeedup = true;     // "Enable special covering speedup"
    bool RemoveHighestDependency = false;
    bool ActiveBiasGraph = false; // "Activate Bias graph"

    // My numbers.
    int Balls = 49;
    std::vector<bool> Selected = std::vector<bool>(101, false); // lottery numbers 1..100

    bool Extensive() const { return SearchKind == skExtensive || SearchKind == skExtensiveCyclic; }
    bool CyclicSearch() const {
        return SearchKind == skStandardCyclic || SearchKind == skExtensiveCyclic;
    }
    double LRateFraction() const { return LRate / 10000.0; }

    // The selected lottery numbers in ascending order.
    TShortIntArray SelectedNumbers() const {
        TShortIntArray out;
        for (int n = 1; n < static_cast<int>(Selected.size()) && n <= 99; ++n)
            if (Selected[n]) out.push_back(static_cast<int8_t>(n));
        return out;
    }
    // Point p stands for the p-th smallest selected number when exactly v numbers are
    // selected; otherwise points are written as they are (empty mapping).
    TShortIntArray Mapping() const {
        TShortIntArray numbers = SelectedNumbers();
        return static_cast<int>(numbers.size()) == v ? numbers : TShortIntArray{};
    }
    // "Select all numbers": the lowest enabled numbers (those up to the ball count),
    // as many as the limit of v selections allows.
    void SelectAll() {
        int count = 0;
        for (int n = 1; n < static_cast<int>(Selected.size()); ++n) {
            Selected[n] = n <= Balls && count < v;
            count += Selected[n];
        }
    }
};

} // namespace corvina

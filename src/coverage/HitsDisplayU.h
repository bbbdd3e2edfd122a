#pragma once
// The detailed hits analysis of the best covering: for every draw of m numbers, how
// many blocks match exactly j of them. Draws with the same hit profile are counted
// together; the profiles are folded into rows for display and for the clipboard.
//
// The analysis runs on the caller's thread. After every draw it calls OnProgress,
// where the host may process pending messages; a handler there stops the analysis by
// setting StopRequested. While Busy() is true the object must stay alive: a window
// closed during the analysis sets StopRequested and releases the object only after
// Show has returned.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/BaseStoreU.h"
#include "core/TypesU.h"

namespace corvina {

class TCoverClass;

struct THitProfile {
    std::array<int32_t, 13> Hits{}; // Hits[j]: blocks with exactly j points of the draw
    int32_t Draws = 0;              // draws with this profile
};

struct TFoldedRow {
    std::array<int32_t, 13> Low{};  // smallest Hits[j] of the merged profiles
    std::array<int32_t, 13> High{}; // largest Hits[j]
    int32_t Draws = 0;
};

using THitProfileStore = TRecordStore<THitProfile>;
using TFoldedRowStore = TRecordStore<TFoldedRow>;

// Merges profiles (in profile order) that differ only at or below the fold level
// into rows. Raises "Compress wins error" when a record cannot be read.
void FoldProfiles(const THitProfileStore& profiles, int fold, TFoldedRowStore& rows);
// Most frequent rows first; equal counts by profile, best divisions first.
void SortOnOccurrence(TFoldedRowStore& rows);

// Position of the progress bar (range 100) for a report, or -1 to hide it.
int HitsProgressPosition(int32_t done, int32_t total);

class THitsDisplayClass {
  public:
    using TBestRanksProvider = std::function<std::vector<int32_t>()>;
    using TOnProgress = std::function<void(int32_t done, int32_t total)>;

    // `allowedBlocks` (ascending ranks of k-subsets) are the draws of the filtered
    // variant; a filtered analysis without them raises
    // "Error : No mother covering or guide filters have been defined.".
    THitsDisplayClass(int v, int k, int mainM, bool filtered, TBestRanksProvider bestRanks,
                      TIntArray allowedBlocks = {});
    // v and k of the store's block parameters; the best covering through BestSnapshot.
    // The store must outlive the object.
    THitsDisplayClass(const TCoverClass& cover, int mainM, bool filtered,
                      TIntArray allowedBlocks = {});
    THitsDisplayClass(const THitsDisplayClass&) = delete;
    THitsDisplayClass& operator=(const THitsDisplayClass&) = delete;

    // The profile store of a match category 1..12, or null.
    THitProfileStore* ProfileStore(int category);
    // Computes the profiles of a category into its store (empty when stopped).
    void Analyse(int category);
    // Draws of a category: C(v, m), or the number of allowed blocks when filtered.
    int32_t DrawCount(int category) const;
    bool Busy() const { return Analysing; }

    // Analyses the category when needed and folds its profiles into FoldedRows
    // (profile order). Ignored while an analysis runs.
    void Show(int category, int fold);
    // Reorders FoldedRows by occurrence.
    void SortOnOccurrence();

    int ColCount() const { return k + 5; }
    int RowCount() const { return FoldedRows.Count() + 3; }
    bool GridVisible() const { return FoldedRows.Count() > 0; }
    // Raises "SG-Error 1" for a row that cannot be read.
    std::string CellText(int col, int row) const;
    std::string ClipboardText() const;
    std::string Caption() const;

    const int v;
    const int k;
    const int MainM; // the main window's m at opening; kept for the window
    const bool Filtered;
    THitProfileStore ProfileStores[12];
    std::vector<TShortIntArray> BlockPoints;
    bool BlockPointsLoaded = false;
    bool StopRequested = false;
    TOnProgress OnProgress;
    // Bit masks with popcount for the common points; the merge walk when false.
    bool UseMasks = true;

    int ShownCategory = 0;
    int ShownFold = 3;
    TFoldedRowStore FoldedRows;

  private:
    void LoadBlockPoints();
    void UpdateSums();

    TBestRanksProvider BestRanks;
    TIntArray AllowedBlocks;
    bool Analysing = false;
    std::vector<int64_t> RunningDraws;    // draws of rows 1..i
    std::array<int64_t, 13> NoHitDraws{}; // per level: draws where no block reaches it
};

} // namespace corvina

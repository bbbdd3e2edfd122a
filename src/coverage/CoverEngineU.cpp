#include "CoverEngineU.h"

#include <algorithm>
#include <numeric>

#include "core/ErrorsU.h"
#include "core/nCkU.h"

namespace corvina {

TCoverEngineClass::TCoverEngineClass(const TCoverClass& cover, int v, int k, int t, int m,
                                     int LBase, double LRate)
    : Data(std::make_unique<TCoverEngineDataClass>(v, k, t, m, LBase, LRate)), Cover(cover),
      SubsetScratch(static_cast<size_t>(m)) {}

void TCoverEngineClass::CreateSpeedup(int64_t megabytes, bool enableSpecialSpeedup,
                                      bool buildComplete, const TSpeedupProgress& progress) {
    Speedup.reset();
    OldRank = NewRank = -1;
    Speedup = std::make_unique<TCoverSpeedupClass>(*Data, Cover, FilteredList, megabytes,
                                                   enableSpecialSpeedup, buildComplete, progress);
    Recount(PointDemandEnabled);
}

const int32_t* TCoverEngineClass::FetchList(int32_t rank, int position) {
    OldRank = NewRank = -1;
    OldList = NewList = nullptr;
    return Speedup->GetList(rank, position);
}

void TCoverEngineClass::AddDemand(int32_t rank, int32_t amount) {
    BlockFromRank(rank, Data->v, SubsetScratch);
    for (int8_t p : SubsetScratch) PointDemand[p] += amount;
}

void TCoverEngineClass::Recount(bool pointDemandEnabled) {
    Speedup->ResizePositionCache();
    const size_t cpb = static_cast<size_t>(Data->CoverPerBlock);
    Counts.assign(static_cast<size_t>(Data->MSubsetTotal), 0);
    for (int pos = 1; pos <= Cover.BlockCount(); ++pos) {
        const int32_t* list = FetchList(Cover.Block(pos)->Rank, pos);
        for (size_t i = 0; i < cpb; ++i) ++Counts[list[i]];
    }
    PointDemandEnabled = pointDemandEnabled;
    PointDemand.fill(0);
    const int32_t L = Data->LBase;
    int32_t covered = 0;
    if (PointDemandEnabled) {
        // Walking the m-subsets in rank order gives each rank's points without unranking.
        std::fill(SubsetScratch.begin(), SubsetScratch.end(), 0);
        for (int32_t r = 0; NextCombination(SubsetScratch, Data->v, 1); ++r) {
            if (Counts[r] >= L)
                ++covered;
            else
                for (int8_t p : SubsetScratch) ++PointDemand[p];
        }
    } else {
        for (int32_t c : Counts) covered += c >= L;
    }
    Covered = TrialCovered = BestCovered = covered;
    int32_t filtered = 0;
    for (int32_t r : FilteredList)
        if (r >= 0 && r < Data->MSubsetTotal && Counts[r] >= L) ++filtered;
    FilteredCovered = TrialFilteredCovered = BestFilteredCovered = filtered;
    FilterMark.assign(FilteredList.empty() ? 0 : Counts.size(), 0);
    for (int32_t r : FilteredList)
        if (r >= 0 && r < Data->MSubsetTotal) FilterMark[r] = 1;
}

namespace {
// Transient marks in the high bits of Counts while a move is evaluated or applied;
// counts never come near them (a covering has far fewer than 2^28 blocks).
constexpr int32_t MarkNew = 1 << 30;
constexpr int32_t MarkBoth = 1 << 29;
} // namespace

// Instead of a merge walk, the new list's ranks are marked in Counts, so a rank in
// both lists is recognised by its mark: the same delta as the merge, without its
// unpredictable branches.
template <bool Filtered>
int32_t TCoverEngineClass::Walk(const int32_t* oldList, const int32_t* newList) {
    const int32_t n = Data->CoverPerBlock;
    const int32_t L = Data->LBase;
    int32_t* counts = Counts.data();
    const uint8_t* filtered = FilterMark.data();
    int32_t delta = 0, filteredDelta = 0;
    for (int32_t j = 0; j < n; ++j) counts[newList[j]] |= MarkNew;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t r = oldList[i];
        const int32_t c = counts[r];
        const int32_t lost = c == L; // a marked count never equals L
        delta -= lost;
        if (Filtered) filteredDelta -= lost & filtered[r];
        counts[r] = c | ((c & MarkNew) >> 1);
    }
    for (int32_t j = 0; j < n; ++j) {
        const int32_t r = newList[j];
        const int32_t c = counts[r];
        const int32_t gained = c == (MarkNew | (L - 1)); // not when also in the old list
        delta += gained;
        if (Filtered) filteredDelta += gained & filtered[r];
        counts[r] = c & ~(MarkNew | MarkBoth);
    }
    if (Filtered) FilteredDelta = filteredDelta;
    return delta;
}

int32_t TCoverEngineClass::Delta(int32_t a, int32_t b, int c) {
    if (b != NewRank) {
        NewList = Speedup->GetList(b, 0);
        NewRank = b;
        // A candidate's list usually comes from a table far larger than the caches:
        // ask for all of its lines at once instead of one miss after another.
        const char* bytes = reinterpret_cast<const char*>(NewList);
        const size_t size = static_cast<size_t>(Data->CoverPerBlock) * sizeof(int32_t);
        for (size_t offset = 0; offset < size && offset < 4096; offset += 64)
            __builtin_prefetch(bytes + offset);
    }
    if (a != OldRank) {
        OldList = Speedup->GetList(a, c);
        OldRank = a;
    }
    return UseFilteredDelta && !FilterMark.empty() ? Walk<true>(OldList, NewList)
                                                   : Walk<false>(OldList, NewList);
}

void TCoverEngineClass::Apply() {
    if (!OldList || !NewList) return;
    const int32_t n = Data->CoverPerBlock;
    const int32_t L = Data->LBase;
    int32_t* counts = Counts.data();
    for (int32_t j = 0; j < n; ++j) counts[NewList[j]] |= MarkNew;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t r = OldList[i];
        const int32_t c = counts[r];
        if (c & MarkNew) {
            counts[r] = c | MarkBoth;
            continue;
        }
        if (PointDemandEnabled && c == L) AddDemand(r, 1); // becomes not covered
        counts[r] = c - 1;
    }
    for (int32_t j = 0; j < n; ++j) {
        const int32_t r = NewList[j];
        const int32_t c = counts[r];
        if (c & MarkBoth) {
            counts[r] = c & ~(MarkNew | MarkBoth);
            continue;
        }
        const int32_t plain = c & ~MarkNew;
        if (PointDemandEnabled && plain == L - 1) AddDemand(r, -1); // becomes covered
        counts[r] = plain + 1;
    }
}

int32_t TCoverEngineClass::DependencyCount(int position, bool filteredOnly) {
    const TCoveringBlock* block = Cover.Block(position);
    if (!block) return 0;
    const int32_t* list = FetchList(block->Rank, position);
    int32_t count = 0;
    for (int32_t i = 0; i < Data->CoverPerBlock; ++i)
        if (Counts[list[i]] == Data->LBase &&
            (!filteredOnly || (!FilterMark.empty() && FilterMark[list[i]])))
            ++count;
    return count;
}

void TCoverEngines::ResetEngines() {
    Fast.clear();
    Engines.Clear();
    FilteredMode = false;
}

TCoverEngineClass& TCoverEngines::CreateEngine(int v, int k, int t, int m, int LBase,
                                               double LRate) {
    auto engine = std::make_unique<TCoverEngineClass>(Cover, v, k, t, m, LBase, LRate);
    engine->PointDemandEnabled = Read().PointDemandEnabled;
    TCoverEngineClass& ref = *engine;
    Engines.AddRecord(std::move(engine));
    Fast.push_back(&ref);
    FilteredMode = false;
    return ref;
}

void TCoverEngines::SetFilteredList(const TIntArray& list) {
    TCoverEngineClass* main = Engine(1);
    if (!main || main->Data->m != main->Data->k) return;
    main->FilteredList = list;
    FilteredMode = !list.empty();
    main->UseFilteredDelta = FilteredMode;
}

void TCoverEngines::Recount(TCoverEngineClass& engine) {
    const TCoverageReadings readings = Read();
    engine.Recount(readings.PointDemandEnabled);
    ImprovementMode = readings.ImprovementMode;
    FilteredOverOverall = readings.FilteredOverOverall;
}

void TCoverEngines::RecountAll() {
    for (TCoverEngineClass* e : Fast) Recount(*e);
}

double TCoverEngines::EvaluateMove(int32_t a, int32_t b, int c) {
    ++Evaluations;
    PendingOld = a;
    PendingNew = b;
    PendingPosition = c;
    double sum = 0;
    for (TCoverEngineClass* e : Fast) {
        const int32_t delta = e->Delta(a, b, c);
        e->TrialCovered = e->Covered + delta;
        double value = 0;
        if (FilteredMode) {
            e->TrialFilteredCovered = e->FilteredCovered + e->FilteredDelta;
            value = e->FilteredDelta * e->Weight;
        }
        if (value == 0) value = delta * e->Weight;
        sum += value;
    }
    return sum;
}

bool TCoverEngines::Holds(int32_t a, int32_t b, int c) const {
    if (PendingOld != a || PendingNew != b || PendingPosition != c) return false;
    for (const TCoverEngineClass* e : Fast)
        if (e->OldRank != a || e->NewRank != b || !e->OldList || !e->NewList) return false;
    return true;
}

void TCoverEngines::ApplyMove() {
    for (TCoverEngineClass* e : Fast) {
        e->FilteredCovered = e->TrialFilteredCovered;
        e->Covered = e->TrialCovered;
        e->Apply();
    }
}

void TCoverEngines::StoreBestCounts() {
    for (TCoverEngineClass* e : Fast) {
        e->BestCovered = e->Covered;
        e->BestFilteredCovered = e->FilteredCovered;
    }
}

double TCoverEngines::ImprovementOverBest() const {
    double sum = 0;
    for (const TCoverEngineClass* e : Fast) {
        double value = 0;
        if (FilteredMode) value = (e->TrialFilteredCovered - e->BestFilteredCovered) * e->Weight;
        if (value == 0 || !FilteredOverOverall || !FilteredMode)
            value += (e->TrialCovered - e->BestCovered) * e->Weight;
        sum += value;
    }
    return sum;
}

void TCoverEngines::RefreshWeights() {
    for (TCoverEngineClass* e : Fast) {
        e->PriorityFactor = e->PrioritySlider() / 100.0;
        e->Weight = (ImprovementMode == 1 && e->Data->OnePointGain > 0)
                        ? e->PriorityFactor / e->Data->OnePointGain
                        : e->PriorityFactor;
    }
}

double TCoverEngines::WeightSum() const {
    double sum = 0;
    for (const TCoverEngineClass* e : Fast) sum += e->Weight;
    return sum;
}

void TCoverEngines::RankPointsByDemand(int position, TIntArray& ranking) {
    TCoverEngineClass* main = Engine(1);
    if (!main) return;
    const int v = main->Data->v;
    std::array<int32_t, 100> d = main->PointDemand;
    ranking.resize(static_cast<size_t>(v) + 1);
    std::iota(ranking.begin(), ranking.end(), 0);
    const TCoveringBlock* block = position > 0 ? Cover.Block(position) : nullptr;
    if (block) {
        // Each covered m-subset that would be uncovered without this block; built from
        // the patterns, which gives the same subsets as unranking the covered list.
        TCoverEngineDataClass& data = *main->Data;
        TShortIntArray subset(static_cast<size_t>(data.m));
        for (int32_t i = 0; i < data.CoverPerBlock; ++i) {
            data.CoveredSubset(i, block->Points.data(), block->Complement.data(), subset.data());
            if (main->Counts[BlockRank(subset.data(), v, data.m)] <= data.LBase)
                for (int8_t p : subset) ++d[p];
        }
    }
    std::stable_sort(ranking.begin() + 1, ranking.end(),
                     [&](int32_t x, int32_t y) { return d[x] > d[y]; });
    int32_t leading = 0;
    while (leading < v && d[ranking[leading + 1]] != 0) ++leading;
    ranking[0] = leading;
}

std::string TCoverEngines::SpeedupUsageText(int pos) const {
    const TCoverEngineClass* e = Engine(pos);
    return e && e->Speedup ? e->Speedup->UsageText() : std::string();
}

} // namespace corvina

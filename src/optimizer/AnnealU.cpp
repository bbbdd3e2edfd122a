#include "AnnealU.h"

#include <algorithm>
#include <charconv>

#include "EnvU.h"
#include "ProgramU.h"
#include "core/StringU.h"
#include "core/nCkU.h"
#include "coverage/CoverDataU.h"

namespace corvina {

TIntArray BuildNeighbourTable(const TIntArray& allowed, int v, int k) {
    const size_t row = static_cast<size_t>(v) * k;
    const size_t n = allowed.size();
    TIntArray table(n * row, 0);
    std::vector<TShortIntArray> blocks(n, TShortIntArray(static_cast<size_t>(k)));
    for (size_t i = 0; i < n; ++i) BlockFromRank(allowed[i], v, blocks[i]);
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            if (CommonPointCount(blocks[i], blocks[j]) >= k - 1) {
                int32_t* a = &table[i * row];
                int32_t* b = &table[j * row];
                // A block has at most k(v - k) neighbours: always room in its row.
                if (static_cast<size_t>(a[0]) + 1 < row) a[++a[0]] = static_cast<int32_t>(j);
                if (static_cast<size_t>(b[0]) + 1 < row) b[++b[0]] = static_cast<int32_t>(i);
            }
    return table;
}

TAnnealEngineClass::TAnnealEngineClass(TProgram& program) : P(program) {
    ReportTimer = P.Host.CreateTimer(1000, [this] { BuildReport(); });
    P.Host.SetTimerEnabled(ReportTimer, false);
}

TAnnealEngineClass::~TAnnealEngineClass() {
    if (AutoSaveTimer >= 0) P.Host.DestroyTimer(AutoSaveTimer);
    P.Host.DestroyTimer(ReportTimer);
}

void TAnnealEngineClass::ResetRun() {
    P.Engines.ResetEngines();
    if (!FilteredImport) AllowedBlocks.clear();
    Neighbours.clear();
    ReduceCandidates.clear();
    Candidate.clear();
    LastAutoSaved.clear();
    P.Host.SetTimerEnabled(ReportTimer, false);
    if (AutoSaveTimer >= 0) P.Host.SetTimerEnabled(AutoSaveTimer, false);
    RestartRequested = false;
    AutoReduce = false;
    ReportPending = true;
    PendingBlockChange = 0;
}

void TAnnealEngineClass::PrepareEngines() {
    ResetRun();
    if (!FullConstruction) CreateCoverageEngines();
    CreateFilters();
    if (!FullConstruction) SplitTabulationMemory();
    Candidate.assign(static_cast<size_t>(P.Settings.k), 0);
}

void TAnnealEngineClass::CreateCoverageEngines() {
    const TMainSettings& s = P.Settings;
    const TFilterSettings& f = P.FilterSettings;
    P.Engines.ResetEngines();
    TCoverEngineClass& main =
        P.Engines.CreateEngine(s.v, s.k, s.t, s.m, s.LBase, s.LRate / 10000.0);
    main.PrioritySlider = [&f] { return f.CovMainPriority; };
    if (f.CovAdd) {
        TCoverEngineClass& add =
            P.Engines.CreateEngine(s.v, s.k, f.tAdd, f.mAdd, f.LBaseAdd, f.LRateAdd / 100.0);
        add.PrioritySlider = [&f] { return f.CovAdditionalPriority; };
    }
}

void TAnnealEngineClass::CreateFilters() {
    // The lottery filters are not part of the program yet, so no filter is made;
    // the allowed-block list still comes from a mother covering.
    if (!FullConstruction) BuildAllowedBlocks(false);
}

int32_t TAnnealEngineClass::BuildAllowedBlocks(bool countOnly) {
    Neighbours.clear();
    if (FilteredImport) return static_cast<int32_t>(AllowedBlocks.size());
    if (!countOnly) AllowedBlocks.clear();
    // Without guide filters every block may be used.
    return 0;
}

void TAnnealEngineClass::FitCoveringToAllowed() {
    if (AllowedBlocks.empty()) return;
    for (int pos = 1; pos <= P.Cover.BlockCount(); ++pos) {
        TCoveringBlock& block = *P.Cover.Block(pos);
        int index = SearchSorted(block.Rank, AllowedBlocks);
        if (index < 0) {
            index = P.Random.AsInteger(static_cast<int32_t>(AllowedBlocks.size()));
            block.ResetFromRank(AllowedBlocks[index]);
        }
        block.GuideIndex = index;
    }
    P.Cover.StoreBest();
}

void TAnnealEngineClass::SplitTabulationMemory() {
    int64_t budget = 0;
    const std::string text = Trim(P.Settings.MemAlloc);
    std::from_chars(text.data(), text.data() + text.size(), budget);
    budget = std::max<int64_t>(budget, 0);
    std::vector<double> sizes;
    for (int i = 1; i <= P.Engines.Count(); ++i)
        sizes.push_back(static_cast<double>(P.Engines.Engine(i)->Data->CoverPerBlock) *
                        P.Cover.Params.PossibleBlockCount);
    const std::vector<int64_t> shares = SplitTabulationBudget(budget, sizes);
    if (!AllowedBlocks.empty()) P.Engines.SetFilteredList(AllowedBlocks);
    for (int i = 1; i <= P.Engines.Count(); ++i)
        P.Engines.Engine(i)->CreateSpeedup(shares[i - 1], P.Settings.CoverSpeedup,
                                           P.Options.SpeedupMode, OnSpeedupBuild);
}

void TAnnealEngineClass::UpdateCoverageEnginesParams() {
    const TMainSettings& s = P.Settings;
    const TFilterSettings& f = P.FilterSettings;
    for (int i = 1; i <= P.Engines.Count(); ++i) {
        TCoverEngineDataClass& data = *P.Engines.Engine(i)->Data;
        if (i == 1) {
            data.SetLBase(s.LBase);
            data.SetLRate(s.LRate / 10000.0);
        } else if (i == 2) {
            data.SetLBase(f.LBaseAdd);
            data.SetLRate(f.LRateAdd / 100.0);
        } else {
            throw ECorvinaError(FormatText("UpdateCoverageEnginesParams - Requested engine %d", i));
        }
    }
}

void TAnnealEngineClass::UpdateFilterEnginesParams() {
    // No filter objects exist yet, so there are no allowed values to refresh.
}

void TAnnealEngineClass::ValidateSettings(bool secondPass) {
    TMainSettings& s = P.Settings;
    const TFilterSettings& f = P.FilterSettings;
    std::string messages;
    auto add = [&](const std::string& text) { messages += text + "\n\r"; };

    if (!(f.CovMainPriority >= 1 || (f.CovAdd && f.CovAdditionalPriority >= 1)))
        add("No optimization engines were selected, or all priorities of the selected engines "
            "were set to 0.");
    if (!f.AnyFilterOn()) {
        const int selected = static_cast<int>(s.SelectedNumbers().size());
        if (selected == 0)
            s.SelectAll();
        else if (selected < s.v)
            add("The \"My numbers\" selection is incomplete.");
    }
    if (f.CovAdd) {
        if (f.tAdd == s.t && f.mAdd == s.m && f.LBaseAdd == s.LBase)
            add("Additional coverage engine has the same t,m,L parameters to main coverage "
                "engine.");
        if (!ValidParameters(s.v, s.k, f.tAdd, f.mAdd, 1, 0, 1) || Binomial(s.v, f.mAdd) <= 0)
            add("Additional coverage engine has invalid t,m parameters set.");
    }
    if (secondPass && FilteredImport && AllowedBlocks.empty())
        add("No blocks are imported for filtered operation!");
    if (!messages.empty()) throw ECorvinaError(messages);
}

void TAnnealEngineClass::StartRun() {
    try {
        {
            THourglass cursor(P.Host);
            UpdateCoverageEnginesParams();
            UpdateFilterEnginesParams();
            ValidateSettings(true);
            Running = true;
            const TMainSettings& s = P.Settings;
            const double vkb = static_cast<double>(P.Cover.Params.CurrentPointCount) *
                               P.Cover.Params.CurrentBlockSize * std::max(1, P.Cover.BlockCount());
            BiasStep = (s.VarBias / 1000.0 + 1) / vkb;
            BiasDecay = s.BiasMultiplier / 1000.0 * 0.02 + 0.98;
            if (BiasDecay >= 1) BiasDecay = 1 - BiasStep;
            Extensive = s.Extensive();
            Cyclic = s.CyclicSearch() && AllowedBlocks.empty();
            FullCyclic = s.FullCyclic;
            HasScoringFilters = false;
            ReportPending = true;
            RestartFromBest();
            P.Engines.RefreshWeights();
            TotalWeight = P.Engines.WeightSum();
            AutoReduce = s.Reduce;
            // A command during the restart (a nested pause) may have ended the run.
            P.Host.SetTimerEnabled(ReportTimer, Running);
            UseCyclic = Cyclic;
        }
        RunLoop();
    } catch (...) {
        if (ClearPending) {
            ClearPending = false;
            P.Env.ClearAll();
        } else {
            P.Env.SetRunState(rsPaused);
        }
        throw;
    }
    if (ClearPending) {
        ClearPending = false;
        P.Env.ClearAll();
    }
}

void TAnnealEngineClass::PauseRun() {
    Running = false;
    P.Host.SetTimerEnabled(ReportTimer, false);
    AutoSaveNow();
    BuildReport();
}

void TAnnealEngineClass::RestartFromBest() {
    RestartRequested = false;
    RevertToBest();
    ClearBiasGraph();
    Bias = BiasStep;
    ResetStatistics();
}

void TAnnealEngineClass::RevertToBest() {
    P.Cover.RestoreBest();
    if (!AllowedBlocks.empty())
        for (int pos = 1; pos <= P.Cover.BlockCount(); ++pos) {
            TCoveringBlock& block = *P.Cover.Block(pos);
            block.GuideIndex = SearchSorted(block.Rank, AllowedBlocks);
        }
}

void TAnnealEngineClass::ResetStatistics() {
    MovesSinceImprovement = 0;
    EqualMoves = 0;
    Improvements = 0;
    P.Engines.RecountAll();
    BuildReport();
    P.Host.ResetBlockWindows();
    if (OnBestChanged) OnBestChanged();
}

} // namespace corvina

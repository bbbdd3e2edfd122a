// The progress report, the bias graph and the captions of the bias sliders.
#include <algorithm>
#include <cmath>

#include "AnnealU.h"
#include "ProgramU.h"
#include "core/StringU.h"

namespace corvina {

namespace {
const char* Level(int position, const char* const words[5]) {
    if (position <= -751) return words[0];
    if (position <= -251) return words[1];
    if (position <= 250) return words[2];
    if (position <= 750) return words[3];
    return words[4];
}

std::string Counter(int32_t value, const char* plain, const char* saturated) {
    return std::to_string(value) + (value == MaxInt32 ? saturated : plain);
}
} // namespace

std::string BiasExpansionCaption(int position) {
    static const char* const words[5] = {"Expand : V. Low", "Expand : Low", "Expand : Normal",
                                         "Expand : High", "Expand : V. High"};
    return std::string(Level(position, words)) + " " + std::to_string(position);
}

std::string BiasTensionCaption(int position) {
    static const char* const words[5] = {"Tension : V. Stiff", "Tension : Stiff",
                                         "Tension : Normal", "Tension : Loose",
                                         "Tension : V. Loose"};
    return std::string(Level(position, words)) + " " + std::to_string(position);
}

void TAnnealEngineClass::ClearBiasGraph() {
    GraphSeries.clear();
    GraphSeries.emplace_back(0, 0.0);
    GraphPoints = 0;
    P.Host.BiasGraphChanged();
}

void TAnnealEngineClass::BuildReport() {
    if (!ReportPending) return;
    const bool graphOn = P.Settings.ActiveBiasGraph;
    if (GraphPoints > 0 && graphOn) {
        if (GraphSeries.size() >= 60) GraphSeries.pop_front();
        GraphSeries.emplace_back(GraphPoints, std::nearbyint(Bias * 1000) / 1000);
        P.Host.BiasGraphChanged();
    }
    Report.FilterFitTop = 116;
    if (P.Engines.Count() == 0) throw ECorvinaError("No coverage engines activated!");

    const int b = P.Cover.BlockCount();
    std::string coverage;
    for (int i = 1; i <= P.Engines.Count(); ++i) {
        const TCoverEngineClass& e = *P.Engines.Engine(i);
        const std::string usage =
            FormatText("Speedup allowed : %s ", e.Speedup->UsageText().c_str());
        if (i == 1)
            Report.SpeedUsageMain = usage;
        else if (i == 2)
            Report.SpeedUsageAdd = usage;
        if (i == 2) coverage += "\n\rAdd. Coverage : ";
        const int64_t total = e.Data->MSubsetTotal;
        const int64_t bound =
            std::max<int64_t>(0, total - static_cast<int64_t>(b) * e.Data->CoverPerBlock);
        coverage += FormatText("%d ( %d - %d ) / %d", e.UncoveredCount(),
                               static_cast<int>(total - e.BestCovered), static_cast<int>(bound),
                               static_cast<int>(total));
        coverage +=
            " [" + FormatText("%2.7f", e.BestCovered / static_cast<double>(total) * 100) + "%]";
        if (i == 1 && !AllowedBlocks.empty() && e.Data->m == e.Data->k) {
            const int a = static_cast<int>(AllowedBlocks.size());
            coverage += "\n\r- Filtered : " +
                        FormatText("%d ( %d ) / %d", e.FilteredUncoveredCount(),
                                   a - e.BestFilteredCovered, a) +
                        " [" +
                        FormatText("%2.7f", e.BestFilteredCovered / static_cast<double>(a) * 100) +
                        "%]";
            Report.FilterFitTop = 134;
        }
        if (i == 1) coverage = "Main Coverage : " + coverage;
    }
    Report.Coverage = coverage;
    Report.FilterFit = "Filters not activated";
    Report.Improved = "Improvements : " + Counter(Improvements, " ( ", "+ ( ") +
                      Counter(EqualMoves, " / ", "+ / ") +
                      Counter(MovesSinceImprovement, " )", "+ )");
    P.Host.ShowReport(Report);
    ReportPending = false;
    if (graphOn)
        ++GraphPoints;
    else if (GraphPoints > 0)
        ClearBiasGraph();
    P.Host.ProcessMessages();
}

} // namespace corvina

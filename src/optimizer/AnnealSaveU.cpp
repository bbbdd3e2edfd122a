// Saving the best covering: proposed names, the save command, the clipboard,
// auto-save and the full construction.
#include <cmath>
#include <filesystem>

#include "AnnealU.h"
#include "EnvU.h"
#include "ProgramU.h"
#include "core/StringU.h"
#include "core/nCkU.h"
#include "coverage/InverseU.h"
#include "files/FileAnalyseU.h"
#include "files/FileIOU.h"

namespace corvina {

namespace {

// Switches the report timer off for the scope and restores its state, also on failure.
class TReportTimerPause {
  public:
    TReportTimerPause(THost& host, THost::TTimerId id)
        : Host(host), Id(id), WasEnabled(host.TimerEnabled(id)) {
        Host.SetTimerEnabled(Id, false);
    }
    ~TReportTimerPause() { Host.SetTimerEnabled(Id, WasEnabled); }

  private:
    THost& Host;
    THost::TTimerId Id;
    bool WasEnabled;
};

std::string RateSuffix(const TCoverEngineClass& e, int blocks) {
    const int64_t total = e.Data->MSubsetTotal;
    const int64_t best = e.BestCovered;
    const int64_t uncovered = total - best;
    std::string out;
    if (uncovered > 0)
        out += FormatText("-%2.2d",
                          static_cast<int>(std::trunc(best / static_cast<double>(total) * 100))) +
               "%-" + std::to_string(uncovered);
    if (total - static_cast<int64_t>(blocks) * e.Data->CoverPerBlock >= uncovered) out += "-[P]";
    return out;
}

} // namespace

std::string TAnnealEngineClass::ProposeFileName(bool inverse, bool full) {
    const TMainSettings& s = P.Settings;
    const TFilterSettings& f = P.FilterSettings;
    int v = s.v, k = s.k, t = s.t, m = s.m;
    if (inverse) {
        int vI = 0, kI = 0, tI = 0, mI = 0;
        if (!TInverseClass::InverseParameters(v, k, t, m, vI, kI, tI, mI)) return std::string();
        v = vI;
        k = kI;
        t = tI;
        m = mI;
    }
    if (full) {
        // With guide filters the name starts "Filtered-" and counts the allowed blocks.
        return "System-" + FormatText("%2.2d%2.2d", k, v) + "-" + std::to_string(Binomial(v, k));
    }
    std::string name = FormatText("V%2.2d%2.2d%2.2d%2.2d", k, v, t, m);
    if (s.LBase > 1) name += "L" + std::to_string(s.LBase);
    const int b = P.Cover.BlockCount();
    if (const TCoverEngineClass* main = P.Engines.Engine(1)) {
        if (!AllowedBlocks.empty() && main->Data->m == main->Data->k) {
            const int64_t a = static_cast<int64_t>(AllowedBlocks.size());
            const int64_t covered = main->BestFilteredCovered;
            if (a - covered <= 0)
                name += "-[FD]";
            else
                name += FormatText("-[FD-%2.2d", static_cast<int>(std::trunc(
                                                     covered / static_cast<double>(a) * 100))) +
                        "%-" + std::to_string(a - covered) + "]";
        }
        name += RateSuffix(*main, b);
    }
    if (f.CovAdd) {
        name += FormatText("+%2.2d%2.2d", f.tAdd, f.mAdd);
        if (f.LBaseAdd > 1) name += "L" + std::to_string(f.LBaseAdd);
        if (const TCoverEngineClass* add = P.Engines.Engine(2)) name += RateSuffix(*add, b);
    }
    return name + "-" + std::to_string(b);
}

void TAnnealEngineClass::WriteCovering(const std::string& path, bool compressed, bool inverse,
                                       bool full, const std::string& separator) {
    const int v = P.Cover.Params.CurrentPointCount, k = P.Cover.Params.CurrentBlockSize;
    const TShortIntArray mapping = P.Settings.Mapping();
    if (inverse) {
        const std::vector<int32_t> ranks = P.Cover.BestSnapshot();
        WriteFileAtomically(path, TInverseClass::CoveringText(ranks, v, k, mapping));
        return;
    }
    if (full) {
        const int32_t count = Binomial(v, k);
        TCoveringFileWriter writer(path, compressed, v, k, count, separator, mapping);
        for (int32_t r = 0; r < count; ++r) writer.WriteRank(r);
        writer.Commit();
        return;
    }
    const std::vector<int32_t> ranks = P.Cover.BestSnapshot();
    TCoveringFileWriter writer(path, compressed, v, k, static_cast<int32_t>(ranks.size()),
                               separator, mapping);
    for (int32_t r : ranks) writer.WriteRank(r);
    writer.Commit();
}

void TAnnealEngineClass::Save(bool inverse, bool full) {
    if (P.Cover.BlockCount() == 0 && !full) return;
    if (inverse) {
        if (P.FilterSettings.CovAdd)
            throw ECorvinaError(
                "Cannot save inverse when an additional coverage engine is assigned.");
        int vI, kI, tI, mI;
        const TMainSettings& s = P.Settings;
        if (!TInverseClass::InverseParameters(s.v, s.k, s.t, s.m, vI, kI, tI, mI)) return;
    }
    TReportTimerPause timer(P.Host, ReportTimer);
    if (P.Cover.BestHasDuplicates()) P.Host.WarningBox("Found duplicate blocks");
    std::string chosen;
    int filterIndex = 1;
    if (!P.Host.SaveDialog(SaveFolder, ProposeFileName(inverse, full), inverse, chosen,
                           filterIndex))
        return;
    P.Host.ProcessMessages();
    const bool compressed = !inverse && filterIndex == 2;
    const std::string path = BuildFileName("", chosen, compressed ? "cvc" : "txt", P.Env.AppFolder);
    SaveFolder = std::filesystem::path(path).parent_path().string();
    THourglass cursor(P.Host);
    WriteCovering(path, compressed, inverse, full, P.Options.NumberSeparator);
}

std::string TAnnealEngineClass::CoveringClipboardText() const {
    const std::vector<int32_t> ranks = P.Cover.BestSnapshot();
    return CoveringText(ranks, P.Cover.Params.CurrentPointCount, P.Cover.Params.CurrentBlockSize,
                        " ", P.Settings.Mapping());
}

void TAnnealEngineClass::CopyToClipboard() {
    if (P.Cover.BlockCount() == 0) return;
    TReportTimerPause timer(P.Host, ReportTimer);
    P.Host.SetClipboardText(CoveringClipboardText());
}

void TAnnealEngineClass::StartAutoSaveTimer() {
    if (AutoSaveTimer >= 0) P.Host.DestroyTimer(AutoSaveTimer);
    AutoSaveTimer = P.Host.CreateTimer(10000, [this] { AutoSaveTick(); });
    P.Host.SetTimerEnabled(AutoSaveTimer, true);
}

void TAnnealEngineClass::AutoSaveTick() {
    if (P.Env.RunState == rsRunning) AutoSaveNow();
}

void TAnnealEngineClass::AutoSaveNow() {
    if (AutoSaveTimer < 0 || !P.Host.TimerEnabled(AutoSaveTimer)) return;
    P.Host.SetTimerEnabled(AutoSaveTimer, false);
    TReportTimerPause timer(P.Host, ReportTimer);
    const std::string path = BuildFileName(P.Options.ImprovementAutoSaveDir,
                                           ProposeFileName(false, false), ".txt", P.Env.AppFolder);
    THourglass cursor(P.Host);
    // The new file is complete before the previous one goes: a failed write leaves
    // the last good auto-save in place.
    WriteCovering(path, false, false, false, P.Options.NumberSeparator);
    std::error_code ec;
    if (!LastAutoSaved.empty() && LastAutoSaved != path &&
        std::filesystem::exists(LastAutoSaved, ec))
        std::filesystem::remove(LastAutoSaved, ec);
    LastAutoSaved = path;
}

void TAnnealEngineClass::SaveFullConstruction() {
    struct TReset {
        TAnnealEngineClass& A;
        THost& Host;
        ~TReset() {
            A.FullConstruction = false;
            Host.SetHourglass(false);
        }
    } reset{*this, P.Host};
    P.Host.SetHourglass(true);
    FullConstruction = true;
    ValidateSettings(false);
    if (!P.Cover.SetBlockParameters(P.Settings.v, P.Settings.k))
        throw ECorvinaError("Invalid parameters or too large to handle...");
    PrepareEngines();
    UpdateFilterEnginesParams();
    ValidateSettings(true);
    P.Cover.ClearAll();
    Save(false, true);
}

} // namespace corvina

// corvina-cli optimize: a full optimisation from a terminal.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "CliArgsU.h"
#include "CliCommandsU.h"
#include "TerminalHostU.h"
#include "core/StringU.h"
#include "core/nCkU.h"
#include "coverage/CoverEngineDataU.h"
#include "coverage/SingleBlockCoverU.h"
#include "files/FileAnalyseU.h"
#include "files/FileIOU.h"
#include "optimizer/ProgramU.h"

namespace corvina::cli {

namespace {

namespace fs = std::filesystem;

const std::set<std::string> OptimizeValued = {
    "v",     "k",      "t",         "m",         "b",        "lbase",
    "lrate", "search", "criteria",  "expand",    "tension",  "memory",
    "seed",  "time",   "start",     "out",       "format",   "bias-scale",
    "add-t", "add-m",  "add-lbase", "add-lrate", "priority", "add-priority"};
const std::set<std::string> OptimizeSwitches = {
    "full-cyclic", "auto-reduce", "descend", "quiet", "no-special-speedup", "build-speedup"};

// True when every coverage requirement holds at its rate in the best covering.
bool RequirementMet(const TProgram& p) {
    if (p.Engines.Count() == 0) return false;
    for (int i = 1; i <= p.Engines.Count(); ++i) {
        const TCoverEngineClass& e = *p.Engines.Engine(i);
        const double total = e.Data->MSubsetTotal;
        if (e.BestCovered / total < e.Data->LRate) return false;
    }
    return true;
}

struct TOutput {
    std::string Target; // empty: the covering goes to standard output
    bool Folder = false;
    bool Compressed = false;
};

std::string OutputPath(TProgram& p, const TOutput& out) {
    const std::string ext = out.Compressed ? "cvc" : "txt";
    if (out.Folder)
        return BuildFileName(out.Target, p.Anneal.ProposeFileName(false, false), ext, "");
    return out.Target;
}

void WriteBest(TProgram& p, const TOutput& out, const std::vector<int32_t>& ranks,
               const std::string& path) {
    const int v = p.Cover.Params.CurrentPointCount, k = p.Cover.Params.CurrentBlockSize;
    if (out.Compressed)
        SaveCompressedCovering(path, ranks, v, k);
    else
        SaveCoveringText(path, ranks, v, k, p.Options.NumberSeparator, p.Settings.Mapping());
}

// The bias expansion that makes the bias settle near `scale` times the value of one
// lost m-subset: each stuck sample adds (P/1000 + 1)/(v k b) and each move keeps the
// share BiasDecay, so the bias grows to about step / (1 - decay), to be compared with
// the main engine's weight.
int ExpansionForScale(double scale, const TMainSettings& s, const TFilterSettings& f) {
    double weight = f.CovMainPriority / 100.0;
    if (s.ImprovementMode == 1) {
        const TCoverEngineDataClass data(s.v, s.k, s.t, s.m, s.LBase, s.LRateFraction());
        if (data.OnePointGain > 0) weight /= data.OnePointGain;
    }
    const double decay = s.BiasMultiplier / 1000.0 * 0.02 + 0.98;
    if (decay >= 1) throw EUsage("--bias-scale needs a tension below 1000");
    const double vkb = static_cast<double>(s.v) * s.k * s.b;
    const double p = std::nearbyint(1000 * (scale * weight * (1 - decay) * vkb - 1));
    if (p < -999 || p > 1000)
        throw EUsage(FormatText(
            "--bias-scale %g needs a bias expansion of %.0f, outside -999..1000", scale, p));
    return static_cast<int>(p);
}

} // namespace

int OptimizeCommand(const std::vector<std::string>& argv) {
    TArgs args(argv, OptimizeValued, OptimizeSwitches);
    if (!args.Positional.empty()) throw EUsage("unexpected argument '" + args.Positional[0] + "'");

    TTerminalHost host;
    const int32_t seed = static_cast<int32_t>(args.Int("seed", RandomStartSeed(), 1, 2147483646));
    TProgram p(host, "", seed);
    TMainSettings& s = p.Settings;
    TFilterSettings& f = p.FilterSettings;

    std::optional<TLoadedCovering> start;
    if (args.Has("start")) {
        start = LoadCovering(args.Text("start"), static_cast<int>(args.Int("v", 0, 2, 99)));
        s.v = start->v;
        s.k = start->k;
        s.b = static_cast<int>(start->Ranks.size());
        if (args.Has("k") && args.Int("k", 0, 2, 12) != s.k)
            throw EUsage(FormatText("--k %d differs from the block size %d of the start covering",
                                    static_cast<int>(args.Int("k", 0, 2, 12)), s.k));
        if (!start->Selected.empty()) s.Selected = start->Selected;
    } else {
        for (const char* required : {"v", "k", "t", "m", "b"})
            if (!args.Has(required)) throw EUsage(std::string("--") + required + " is required");
        s.v = static_cast<int>(args.Int("v", s.v, 2, 99));
        s.k = static_cast<int>(args.Int("k", s.k, 2, 12));
        s.b = static_cast<int>(args.Int("b", s.b, 1, 999999));
    }
    if (!args.Has("t") || !args.Has("m")) throw EUsage("--t and --m are required");
    s.t = static_cast<int>(args.Int("t", s.t, 1, 11));
    s.m = static_cast<int>(args.Int("m", s.m, 1, 12));
    s.LBase = static_cast<int>(args.Int("lbase", s.LBase, 1, 99));
    s.LRate = static_cast<int32_t>(std::nearbyint(args.Real("lrate", 100, 0.01, 100) * 100));
    s.SearchKind = args.Choice("search", s.SearchKind,
                               {"standard", "extensive", "standard+cyclic", "extensive+cyclic"});
    s.FullCyclic = args.Switch("full-cyclic");
    s.ImprovementMode = args.Choice("criteria", s.ImprovementMode, {"absolute", "proportional"});
    s.VarBias = static_cast<int>(args.Int("expand", s.VarBias, -999, 1000));
    s.BiasMultiplier = static_cast<int>(args.Int("tension", s.BiasMultiplier, -1000, 1000));
    s.MemAlloc = std::to_string(args.Int("memory", 256, 0, 9999));
    s.CoverSpeedup = !args.Switch("no-special-speedup");
    p.Options.SpeedupMode = args.Switch("build-speedup");
    s.Reduce = args.Switch("auto-reduce");
    f.CovMainPriority = static_cast<int>(args.Int("priority", f.CovMainPriority, 0, 100));
    if (args.Has("add-t") || args.Has("add-m")) {
        f.CovAdd = true;
        f.tAdd = static_cast<int>(args.Int("add-t", f.tAdd, 1, 12));
        f.mAdd = static_cast<int>(args.Int("add-m", f.mAdd, 1, 12));
        f.LBaseAdd = static_cast<int>(args.Int("add-lbase", f.LBaseAdd, 1, 99));
        f.LRateAdd = static_cast<int>(args.Int("add-lrate", f.LRateAdd, 1, 100));
        f.CovAdditionalPriority =
            static_cast<int>(args.Int("add-priority", f.CovAdditionalPriority, 0, 100));
    }
    const double seconds = args.Real("time", 0, 0, 1e9);
    const bool descend = args.Switch("descend");
    host.Quiet = args.Switch("quiet");

    TOutput out;
    out.Compressed = args.Choice("format", 0, {"txt", "cvc"}) == 1;
    if (args.Has("out")) {
        out.Target = args.Text("out");
        std::error_code ec;
        out.Folder = fs::is_directory(out.Target, ec) || out.Target.back() == '/';
        if (out.Folder && !fs::is_directory(out.Target, ec))
            throw EUsage("the folder '" + out.Target + "' does not exist");
        if (!out.Folder) {
            const fs::path parent = fs::path(out.Target).parent_path();
            if (!parent.empty() && !fs::is_directory(parent, ec))
                throw EUsage("the folder '" + parent.string() + "' does not exist");
            if (!args.Has("format")) out.Compressed = IsCompressedName(out.Target);
        }
    } else if (out.Compressed) {
        throw EUsage("--format cvc needs --out");
    }

    std::string check;
    if (!SingleBlockCoverText(s.v, s.k, s.t, s.m, s.LBase, s.LRateFraction(), s.b, check))
        throw EUsage(check);
    if (args.Has("bias-scale")) {
        if (args.Has("expand")) throw EUsage("--bias-scale sets --expand: give one of them");
        s.VarBias = ExpansionForScale(args.Real("bias-scale", 0, 1e-9, 1), s, f);
    }

    // Stop rules: requirement met, time limit, Ctrl-C (a pause, as the Pause command).
    const auto begin = std::chrono::steady_clock::now();
    std::vector<int32_t> bestComplete;
    std::string lastDescendFile;
    bool met = false;
    auto pause = [&] {
        if (p.Env.RunState == rsRunning) p.Env.SetRunState(rsPaused);
    };
    host.OnInterrupt = [&] {
        host.EndStatusLine();
        std::fprintf(stderr, "interrupted: pausing and saving the best covering\n");
        pause();
    };
    // The requirement is checked whenever the best covering changes, so where a run
    // stops depends on the seed only; the clock decides only the time limit.
    p.Anneal.OnBestChanged = [&] {
        if (p.Env.RunState != rsRunning || p.Anneal.PendingBlockChange != 0 || !RequirementMet(p))
            return;
        met = true;
        if (!descend) {
            pause();
            return;
        }
        bestComplete = p.Cover.BestSnapshot();
        if (!out.Target.empty()) {
            const std::string path = OutputPath(p, out);
            WriteBest(p, out, bestComplete, path);
            std::error_code ec;
            if (!lastDescendFile.empty() && lastDescendFile != path)
                fs::remove(lastDescendFile, ec);
            lastDescendFile = path;
        }
        if (!host.Quiet) {
            host.EndStatusLine();
            std::fprintf(stderr, "complete with %d blocks\n", p.Cover.BlockCount());
        }
        if (p.Cover.BlockCount() <= 1)
            pause();
        else
            p.Anneal.RequestBlockChange(-1);
    };
    // Building whole speedup tables can take minutes: show how far it is, and stop
    // building (the rest is built on use) at the time limit or on Ctrl-C.
    auto lastShown = std::chrono::steady_clock::now();
    p.Anneal.OnSpeedupBuild = [&](int64_t done, int64_t total) {
        const auto now = std::chrono::steady_clock::now();
        if (!host.Quiet && now - lastShown >= std::chrono::seconds(1)) {
            lastShown = now;
            std::fprintf(stderr, "building the speedup table: %lld of %lld lists\n",
                         static_cast<long long>(done), static_cast<long long>(total));
        }
        const bool late =
            seconds > 0 && std::chrono::duration<double>(now - begin).count() >= seconds;
        return !late && !TTerminalHost::InterruptPending();
    };
    host.OnIdle = [&] {
        if (seconds > 0 && p.Env.RunState == rsRunning &&
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count() >=
                seconds)
            pause();
    };
    if (start) {
        p.Cover.SetBlockParameters(s.v, s.k);
        for (int32_t r : start->Ranks) p.Cover.AddBlock(r);
        p.Env.SetRunState(rsImported);
    }
    p.Env.SetRunState(rsRunning);
    host.EndStatusLine();

    std::vector<int32_t> result =
        descend && !bestComplete.empty() ? bestComplete : p.Cover.BestSnapshot();
    const int b = static_cast<int>(result.size());
    const TCoverEngineClass* main = p.Engines.Engine(1);
    if (!descend || bestComplete.empty()) {
        if (!out.Target.empty()) WriteBest(p, out, result, OutputPath(p, out));
    }
    if (out.Target.empty()) {
        std::fputs(CoveringText(result, s.v, s.k, p.Options.NumberSeparator, s.Mapping()).c_str(),
                   stdout);
    }
    {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        const double evaluations = static_cast<double>(p.Engines.Evaluations);
        std::fprintf(stderr, "%.0f candidate evaluations, %.0f per second, %lld moves applied\n",
                     evaluations, elapsed > 0 ? evaluations / elapsed : 0.0,
                     static_cast<long long>(p.Anneal.AppliedMoves));
        std::fprintf(stderr, "%s after %.3f s: %d blocks%s\n",
                     met ? "requirement met" : "requirement not met", elapsed, b,
                     main && !(descend && met)
                         ? FormatText(", %d of %d m-subsets covered", main->BestCovered,
                                      main->Data->MSubsetTotal)
                               .c_str()
                         : "");
    }
    return met ? 0 : 1;
}

} // namespace corvina::cli

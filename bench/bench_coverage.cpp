// Coverage engine speeds: candidate evaluations, covered-rank lists, pattern tables.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "core/AdditivePRNGU.h"
#include "core/CoverU.h"
#include "core/nCkU.h"
#include "coverage/CoverEngineU.h"

using namespace corvina;

namespace {

struct TRig {
    TCoverClass cover;
    TCoverEngines engines{cover};
    TtdAdditiveGenerator g{1234};
    TShortIntArray candidate;

    TRig(int v, int k, int t, int m, int blocks, int64_t mb, bool buildComplete) {
        cover.SetBlockParameters(v, k);
        cover.CreateRandom(blocks, g);
        auto& e = engines.CreateEngine(v, k, t, m, 1, 1.0);
        e.CreateSpeedup(mb, true, buildComplete);
        engines.RefreshWeights();
        candidate.resize(k);
    }
    // A candidate as the standard move builds it: one point exchanged.
    int32_t Candidate(const TCoveringBlock& b) {
        std::copy(b.Points.begin(), b.Points.end(), candidate.begin());
        const int k = static_cast<int>(candidate.size());
        candidate[g.AsInteger(k)] = b.Complement[1 + g.AsInteger(b.Complement[0])];
        std::sort(candidate.begin(), candidate.end());
        return BlockRank(candidate.data(), cover.Params.CurrentPointCount, k);
    }
};

void EvaluateMoves(benchmark::State& state, int v, int k, int t, int m, int blocks) {
    const int64_t mb = state.range(0);
    // Built once per configuration, so repeated runs time the evaluations only.
    static std::map<std::vector<int64_t>, std::unique_ptr<TRig>> rigs;
    auto& slot = rigs[{v, k, t, m, blocks, mb}];
    if (!slot) slot = std::make_unique<TRig>(v, k, t, m, blocks, mb, mb > 0);
    TRig& rig = *slot;
    double sum = 0;
    for (auto _ : state) {
        const int pos = 1 + rig.g.AsInteger(blocks);
        const TCoveringBlock& b = *rig.cover.Block(pos);
        sum += rig.engines.EvaluateMove(b.Rank, rig.Candidate(b), pos);
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}

} // namespace

static void BM_EvaluateMove_49_6_3_6_b163(benchmark::State& state) {
    EvaluateMoves(state, 49, 6, 3, 6, 163);
}
BENCHMARK(BM_EvaluateMove_49_6_3_6_b163)->Arg(0)->Arg(256)->Unit(benchmark::kMicrosecond);

static void BM_EvaluateMove_20_6_4_5_b60(benchmark::State& state) {
    EvaluateMoves(state, 20, 6, 4, 5, 60);
}
// 0 MB: no table; 64 MB: the complete table (38 760 lists of 216 ranks).
BENCHMARK(BM_EvaluateMove_20_6_4_5_b60)->Arg(0)->Arg(64);

// Covered-rank lists of random blocks: the rank-order enumeration the engines use,
// and the pattern-apply-rank-sort way it replaced.
static void CoveredRanks(benchmark::State& state, bool byPatterns) {
    TCoverEngineDataClass data(49, 6, 3, 6, 1, 1.0);
    TBlockParameters params;
    params.SetBlockParameters(49, 6);
    TtdAdditiveGenerator g(9);
    std::vector<int32_t> out(data.CoverPerBlock);
    for (auto _ : state) {
        TCoveringBlock b(params, g.AsInteger(params.PossibleBlockCount));
        if (byPatterns)
            data.CoveredRanksByPatterns(b.Points.data(), b.Complement.data(), out.data());
        else
            data.CoveredRanks(b.Points.data(), b.Complement.data(), out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["ranks/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * data.CoverPerBlock, benchmark::Counter::kIsRate);
}
static void BM_CoveredRanks_49_6_3_6(benchmark::State& state) {
    CoveredRanks(state, false);
}
static void BM_CoveredRanksByPatterns_49_6_3_6(benchmark::State& state) {
    CoveredRanks(state, true);
}
BENCHMARK(BM_CoveredRanks_49_6_3_6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CoveredRanksByPatterns_49_6_3_6)->Unit(benchmark::kMillisecond);

static void BM_BuildPatterns_49_6_3_6(benchmark::State& state) {
    for (auto _ : state) {
        TCoverEngineDataClass data(49, 6, 3, 6, 1, 1.0);
        benchmark::DoNotOptimize(data.Patterns.data());
    }
}
BENCHMARK(BM_BuildPatterns_49_6_3_6)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();

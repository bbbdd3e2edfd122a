// The two analyses that enumerate every m-subset: one coverage-rates pass and one
// hits analysis for v = 49, k = m = 6 over 163 random blocks, each with the merge
// walk (argument 0) and with 128-bit point masks and popcount (argument 1).
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <stop_token>
#include <vector>

#include "core/AdditivePRNGU.h"
#include "core/nCkU.h"
#include "coverage/CoverRateU.h"
#include "coverage/HitsDisplayU.h"

using namespace corvina;

namespace {

constexpr int V = 49, K = 6, M = 6, BlockCount = 163;

const std::vector<int32_t>& BenchRanks() {
    static const std::vector<int32_t> ranks = [] {
        TtdAdditiveGenerator random(20240611);
        std::vector<int32_t> r;
        for (int i = 0; i < BlockCount; ++i) r.push_back(random.AsInteger(Binomial(V, K)));
        return r;
    }();
    return ranks;
}

void SetComparisons(benchmark::State& state) {
    // One comparison is one m-subset against one block.
    state.counters["comparisons/s"] = benchmark::Counter(
        static_cast<double>(Binomial(V, M)) * BlockCount * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}

} // namespace

static void BM_CoverRatesPass(benchmark::State& state) {
    std::vector<TShortIntArray> blocks;
    for (int32_t rank : BenchRanks()) {
        TShortIntArray points(K);
        BlockFromRank(rank, V, points);
        blocks.push_back(points);
    }
    for (auto _ : state) {
        std::array<int32_t, 13> results{};
        std::atomic<int32_t> tested{0};
        CoverRatesPass(V, M, 1, blocks, results, tested, std::stop_token(), state.range(0) != 0);
        benchmark::DoNotOptimize(results);
        state.counters["covered t=3"] = results[3];
    }
    SetComparisons(state);
}
BENCHMARK(BM_CoverRatesPass)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

static void BM_HitsAnalysis(benchmark::State& state) {
    for (auto _ : state) {
        THitsDisplayClass hits(V, K, M, false, [] { return BenchRanks(); });
        hits.UseMasks = state.range(0) != 0;
        hits.OnProgress = [](int32_t, int32_t) {};
        hits.Analyse(M);
        state.counters["profiles"] = hits.ProfileStore(M)->Count();
    }
    SetComparisons(state);
}
BENCHMARK(BM_HitsAnalysis)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();

// Ranks and unranks per second for v = 49, k = 6.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "core/nCkU.h"

using namespace corvina;

static void BM_BlockRank(benchmark::State& state) {
    // A spread of blocks so the table reads are not all the same cache line.
    std::vector<std::array<int8_t, 6>> blocks(4096);
    for (size_t i = 0; i < blocks.size(); ++i)
        BlockFromRank(static_cast<int32_t>(i * 3413u % 13983816u), 49, 6, blocks[i].data());
    size_t i = 0;
    int64_t sum = 0;
    for (auto _ : state) {
        sum += BlockRank(blocks[i].data(), 49, 6);
        i = (i + 1) & 4095;
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BlockRank);

static void BM_BlockFromRank(benchmark::State& state) {
    int8_t p[6];
    int32_t r = 0;
    for (auto _ : state) {
        BlockFromRank(r, 49, 6, p);
        benchmark::DoNotOptimize(p);
        r += 3413;
        if (r >= 13983816) r -= 13983816;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BlockFromRank);

BENCHMARK_MAIN();

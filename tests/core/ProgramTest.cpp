#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/nCkU.h"
#include "optimizer/FakeHost.h"
#include "optimizer/ProgramU.h"

using namespace corvina;

TEST(Program, OwnsIndependentObjectsAndSharesOnlyTables) {
    fake::TFakeHost hostA, hostB;
    TProgram a(hostA, "", 5), b(hostB, "", 5);
    ASSERT_TRUE(a.Cover.SetBlockParameters(10, 4));
    ASSERT_TRUE(b.Cover.SetBlockParameters(12, 4));
    a.Cover.CreateRandom(3, a.Random);
    EXPECT_EQ(b.Cover.BlockCount(), 0);
    EXPECT_EQ(a.Cover.Params.CurrentPointCount, 10);
    EXPECT_EQ(b.Cover.Params.CurrentPointCount, 12);
    EXPECT_EQ(a.Env.RunState, rsCleared);
}

TEST(Program, TablesAreSafeToReadFromManyThreads) {
    std::vector<std::thread> threads;
    std::vector<int64_t> sums(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            int8_t p[6];
            for (int32_t r = t; r < 200000; r += 4) {
                BlockFromRank(r, 49, 6, p);
                sums[t] += BlockRank(p, 49, 6) == r;
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(sums[0] + sums[1] + sums[2] + sums[3], 200000);
}

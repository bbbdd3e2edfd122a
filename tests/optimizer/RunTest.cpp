#include <gtest/gtest.h>

#include "FakeHost.h"
#include "optimizer/ProgramU.h"

using namespace corvina;

TEST(Smoke, FindsCompleteCovering) {
    fake::TFakeHost host;
    TProgram p(host, "", 7);
    p.Settings.v = 10;
    p.Settings.k = 5;
    p.Settings.t = 4;
    p.Settings.m = 4;
    p.Settings.b = getenv("B") ? atoi(getenv("B")) : 53;
    p.Settings.v = getenv("V") ? atoi(getenv("V")) : 10;
    p.Settings.k = getenv("K") ? atoi(getenv("K")) : 5;
    p.Settings.t = getenv("T") ? atoi(getenv("T")) : 4;
    p.Settings.m = getenv("M") ? atoi(getenv("M")) : 4;
    p.Settings.VarBias = getenv("P") ? atoi(getenv("P")) : 0;
    p.Settings.BiasMultiplier = getenv("Q") ? atoi(getenv("Q")) : 0;
    p.Settings.SearchKind = getenv("S") ? atoi(getenv("S")) : 0;
    p.Settings.ImprovementMode = getenv("I") ? atoi(getenv("I")) : 1;
    host.OnProcess = [&](long calls) {
        if (p.Env.RunState != rsRunning) return;
        const TCoverEngineClass* e = p.Engines.Engine(1);
        if ((e && e->BestCovered == e->Data->MSubsetTotal) || calls > 20000000)
            p.Env.SetRunState(rsPaused);
    };
    p.Env.SetRunState(rsRunning);
    EXPECT_EQ(p.Env.RunState, rsPaused);
    EXPECT_EQ(p.Engines.Engine(1)->BestCovered, 210);
    printf("calls %ld best %d\n", host.ProcessCalls, p.Engines.Engine(1)->BestCovered);
}

TEST(Smoke, Consistency) {
    fake::TFakeHost host;
    TProgram p(host, "", 7);
    p.Settings.v = 10;
    p.Settings.k = 5;
    p.Settings.t = 4;
    p.Settings.m = 4;
    p.Settings.b = 53;
    host.OnProcess = [&](long calls) {
        if (p.Env.RunState != rsRunning) return;
        if (calls % 1000000 == 0) {
            TCoverEngineClass* e = p.Engines.Engine(1);
            int32_t cov = e->Covered;
            auto counts = e->Counts;
            printf("%ld cov %d best %d bias %g\n", calls, cov, e->BestCovered, p.Anneal.Bias);
        }
        if (calls > 5000000) p.Env.SetRunState(rsPaused);
    };
    p.Env.SetRunState(rsRunning);
    TCoverEngineClass* e = p.Engines.Engine(1);
    int32_t cov = e->Covered;
    auto counts = e->Counts;
    p.Engines.RecountAll();
    EXPECT_EQ(counts, e->Counts);
}

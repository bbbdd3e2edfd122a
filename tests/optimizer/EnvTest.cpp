#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "OptimizerRig.h"

using namespace corvina;
using corvina::fake::TRig;

TEST(RunStates, StartPauseResumeClear) {
    TRig rig(10, 5, 4, 4, 30);
    rig.PauseAfter(2000);
    rig.p.Env.SetRunState(rsRunning);
    EXPECT_EQ(rig.p.Env.RunState, rsPaused);
    EXPECT_EQ(rig.p.Cover.BlockCount(), 30);
    EXPECT_FALSE(rig.p.Anneal.Running);
    EXPECT_FALSE(rig.host.TimerEnabled(rig.p.Anneal.ReportTimer));
    // The state was shown before the work ran: Running first, then Paused.
    ASSERT_GE(rig.host.StateRefreshes.size(), 2u);
    EXPECT_EQ(rig.host.StateRefreshes[0], rsRunning);
    EXPECT_EQ(rig.host.StateRefreshes.back(), rsPaused);
    EXPECT_EQ(rig.host.HourglassDepth, 0);

    // Resume restarts from the best covering with the bias reset and counters at 0.
    const std::vector<int32_t> best = rig.p.Cover.BestSnapshot();
    rig.p.Cover.Block(1)->ResetFromRank(best[0] == 0 ? 1 : 0); // drift from the best
    bool checked = false;
    rig.host.OnProcess = [&](long) {
        if (checked) return;
        checked = true;
        EXPECT_EQ(rig.p.Anneal.Bias, rig.p.Anneal.BiasStep);
        EXPECT_EQ(rig.p.Anneal.Improvements, 0);
        EXPECT_EQ(rig.p.Anneal.EqualMoves, 0);
        EXPECT_EQ(rig.p.Anneal.MovesSinceImprovement, 0);
        rig.p.Env.SetRunState(rsPaused);
    };
    rig.host.OnProcess = [&, inner = rig.host.OnProcess](long n) {
        if (n == rig.host.ProcessCalls && !checked) {
            // The first message processing of the resumed run: nothing moved yet
            // except possibly the candidate under evaluation.
            std::vector<int32_t> ranks = rig.CurrentRanks();
            std::sort(ranks.begin(), ranks.end());
            EXPECT_EQ(ranks, best);
        }
        inner(n);
    };
    rig.p.Env.SetRunState(rsRunning);
    EXPECT_TRUE(checked);
    EXPECT_EQ(rig.p.Env.RunState, rsPaused);

    rig.p.Env.SetRunState(rsCleared);
    EXPECT_EQ(rig.p.Cover.BlockCount(), 0);
    EXPECT_EQ(rig.p.Engines.Count(), 0);
    EXPECT_EQ(rig.host.Events.back(), "frames");
}

TEST(RunStates, ImportedToCleared) {
    TRig rig(10, 5, 4, 4, 30);
    ASSERT_TRUE(rig.p.Cover.SetBlockParameters(10, 5));
    for (int32_t r : {5, 9}) rig.p.Cover.AddBlock(r);
    rig.p.Anneal.FilteredImport = true;
    rig.p.Anneal.AllowedBlocks = {5, 9, 11};
    rig.p.Env.SetRunState(rsImported); // no work: the import filled the covering
    EXPECT_EQ(rig.p.Cover.BlockCount(), 2);
    rig.p.Env.SetRunState(rsCleared);
    EXPECT_EQ(rig.p.Cover.BlockCount(), 0);
    EXPECT_FALSE(rig.p.Anneal.FilteredImport);
    EXPECT_TRUE(rig.p.Anneal.AllowedBlocks.empty());
    EXPECT_EQ(rig.host.Events, (std::vector<std::string>{"close block windows", "frames"}));
    EXPECT_EQ(rig.host.HourglassDepth, 0);
    EXPECT_EQ(rig.host.StateRefreshes, (std::vector<TRunState>{rsImported, rsCleared}));
}

TEST(RunStates, ClearingWhileTheLoopRunsWaitsForTheLoop) {
    TRig rig(10, 5, 4, 4, 30);
    rig.host.OnProcess = [&](long n) {
        if (n == 300 && rig.p.Env.RunState == rsRunning) {
            rig.p.Env.SetRunState(rsCleared);
            // Nothing is freed while the move procedure is still on the stack.
            EXPECT_EQ(rig.p.Cover.BlockCount(), 30);
            EXPECT_EQ(rig.p.Engines.Count(), 1);
        }
    };
    rig.p.Env.SetRunState(rsRunning);
    EXPECT_EQ(rig.p.Env.RunState, rsCleared);
    EXPECT_EQ(rig.p.Cover.BlockCount(), 0);
    EXPECT_EQ(rig.p.Engines.Count(), 0);
    EXPECT_FALSE(rig.p.Anneal.LoopActive);
    EXPECT_FALSE(rig.host.TimerEnabled(rig.p.Anneal.ReportTimer));
}

TEST(RunStates, AutoSaveConfirmationAnsweredNo) {
    TRig rig(10, 5, 4, 4, 30);
    rig.p.Options.ImprovementAutoSaveMode = true;
    rig.p.Options.ImprovementAutoSaveDir = "/tmp/saves";
    rig.host.Answers = {false};
    rig.p.Env.SetRunState(rsRunning);
    EXPECT_EQ(rig.p.Env.RunState, rsCleared);
    EXPECT_EQ(rig.p.Cover.BlockCount(), 0);
    EXPECT_EQ(rig.p.Engines.Count(), 0);
    ASSERT_EQ(rig.host.Boxes.size(), 1u);
    EXPECT_EQ(rig.host.Boxes[0],
              "confirm: The auto-save feature is active and any improvements will be stored in "
              "\n\r/tmp/saves\n\rDo you want to continue?");
}

TEST(RunStates, FailuresPutTheOldStateBack) {
    // A validation failure from rsImported leaves the imported covering untouched.
    TRig rig(10, 5, 4, 4, 30);
    ASSERT_TRUE(rig.p.Cover.SetBlockParameters(10, 5));
    for (int32_t r : {5, 9, 200}) rig.p.Cover.AddBlock(r);
    rig.p.Env.SetRunState(rsImported);
    rig.p.FilterSettings.CovMainPriority = 0;
    try {
        rig.p.Env.SetRunState(rsRunning);
        FAIL();
    } catch (const ECorvinaError& e) {
        EXPECT_STREQ(e.what(), "No optimization engines were selected, or all priorities of the "
                               "selected engines were set to 0.\n\r");
    }
    EXPECT_EQ(rig.p.Env.RunState, rsImported);
    EXPECT_EQ(rig.CurrentRanks(), (std::vector<int32_t>{5, 9, 200}));
    EXPECT_EQ(rig.host.StateRefreshes.back(), rsImported);

    // A failure inside the running loop pauses first, then the start state returns.
    TRig run(10, 5, 4, 4, 30);
    run.host.OnProcess = [&](long n) {
        if (n == 50) throw ECorvinaError("boom");
    };
    EXPECT_THROW(run.p.Env.SetRunState(rsRunning), ECorvinaError);
    EXPECT_EQ(run.p.Env.RunState, rsCleared);
    EXPECT_FALSE(run.p.Anneal.Running);
    EXPECT_FALSE(run.host.TimerEnabled(run.p.Anneal.ReportTimer));
    EXPECT_EQ(run.host.HourglassDepth, 0);

    // Parameters that cannot be ranked: the start fails, nothing runs.
    TRig bad(10, 12, 4, 4, 30);
    EXPECT_THROW(bad.p.Env.SetRunState(rsRunning), ECorvinaError);
    EXPECT_EQ(bad.p.Env.RunState, rsCleared);
}

TEST(RunStates, BlockRequestDuringPauseActsAtResume) {
    TRig rig(10, 5, 4, 4, 20);
    rig.PauseAfter(500);
    rig.p.Env.SetRunState(rsRunning);
    ASSERT_EQ(rig.p.Env.RunState, rsPaused);
    rig.p.Anneal.RequestBlockChange(3);
    EXPECT_EQ(rig.p.Cover.BlockCount(), 20);
    rig.PauseAfter(rig.host.ProcessCalls + 100);
    rig.p.Env.SetRunState(rsRunning);
    EXPECT_EQ(rig.p.Cover.BlockCount(), 23);
    EXPECT_EQ(rig.host.LastBlockCount, 23);
    EXPECT_EQ(rig.p.Anneal.PendingBlockChange, 0);
}

TEST(RunStates, FullConstruction) {
    testutil::TTempDir dir;
    TRig rig(7, 3, 2, 2, 5);
    rig.host.SaveAnswers.push_back({true, dir.Str() + "/all.txt", 1});
    rig.p.Env.SetRunState(rsFullConstruction);
    EXPECT_EQ(rig.p.Env.RunState, rsCleared);
    EXPECT_EQ(rig.p.Settings.m, 2); // put back after the save
    EXPECT_EQ(rig.host.LastSaveProposal, "System-0307-35");
    std::ifstream in(dir.Str() + "/all.txt");
    std::string line, first, last;
    int lines = 0;
    while (std::getline(in, line)) {
        if (!lines) first = line;
        last = line;
        ++lines;
    }
    EXPECT_EQ(lines, 35);
    EXPECT_EQ(first, "01 02 03\r");
    EXPECT_EQ(last, "05 06 07\r");

    // k above v: nothing is saved and the state is rsCleared again.
    TRig bad(5, 7, 2, 2, 5);
    bad.p.Env.SetRunState(rsFullConstruction);
    EXPECT_EQ(bad.p.Env.RunState, rsCleared);
    EXPECT_TRUE(bad.host.LastSaveProposal.empty());
}

TEST(RunStates, Priority) {
    struct Case {
        bool open;
        int32_t stored; // 0: no value
        int32_t loaded, menu;
    } cases[] = {{true, 64, 64, 64},
                 {true, 16384, 16384, 16384},
                 {true, 5, 5, 32},
                 {true, 0, 32, 32},
                 {false, 64, 32, 32}};
    for (const auto& c : cases) {
        fake::TFakeHost host;
        host.RegistryOpen = c.open;
        if (c.stored) host.Registry["Priority"] = c.stored;
        TProgram p(host, "", 1);
        EXPECT_EQ(p.Env.PriorityClass, c.loaded);
        EXPECT_EQ(PriorityMenuClass(p.Env.PriorityClass), c.menu);
    }
    fake::TFakeHost host;
    TProgram p(host, "", 1);
    p.Env.SetPriority(16384);
    EXPECT_EQ(host.Registry["Priority"], 16384);
    EXPECT_EQ(host.Priorities, (std::vector<int32_t>{16384}));
}

#include <gtest/gtest.h>

#include "OptimizerRig.h"

using namespace corvina;
using corvina::fake::TRig;

TEST(Report, CoverageAndCounterTexts) {
    TRig rig(6, 2, 1, 1, 2);
    rig.Prepare({0, 9}); // {1,2},{3,4}: 4 of 6 points
    rig.p.Anneal.ReportPending = true;
    rig.p.Anneal.BuildReport();
    const TReportTexts& r = rig.host.LastReport;
    EXPECT_EQ(r.Coverage, "Main Coverage : 2 ( 2 - 2 ) / 6 [66.6666667%]");
    EXPECT_EQ(r.Improved, "Improvements : 0 ( 0 / 0 )");
    EXPECT_EQ(r.FilterFit, "Filters not activated");
    EXPECT_EQ(r.FilterFitTop, 116);
    // A full table; the recount filled the lists of the 2 blocks out of 15.
    EXPECT_EQ(r.SpeedUsageMain, "Speedup allowed : 100.00% (current 13.33%) ");
    EXPECT_FALSE(rig.p.Anneal.ReportPending);

    // Nothing pending: nothing rebuilt.
    const int reports = rig.host.Reports;
    rig.p.Anneal.BuildReport();
    EXPECT_EQ(rig.host.Reports, reports);

    struct Case {
        int32_t improvements, equal, since;
        const char* text;
    } counters[] = {
        {MaxInt32, 0, 0, "Improvements : 2147483647+ ( 0 / 0 )"},
        {5, MaxInt32, 7, "Improvements : 5 ( 2147483647+ / 7 )"},
        {5, 6, MaxInt32, "Improvements : 5 ( 6 / 2147483647+ )"},
    };
    for (const auto& c : counters) {
        rig.p.Anneal.Improvements = c.improvements;
        rig.p.Anneal.EqualMoves = c.equal;
        rig.p.Anneal.MovesSinceImprovement = c.since;
        rig.p.Anneal.ReportPending = true;
        rig.p.Anneal.BuildReport();
        EXPECT_EQ(rig.host.LastReport.Improved, c.text);
    }
}

TEST(Report, FullCoverageAdditionalEngineAndFilteredLine) {
    TRig rig(6, 2, 1, 2, 3);
    rig.p.FilterSettings.CovAdd = true;
    rig.p.FilterSettings.tAdd = 1;
    rig.p.FilterSettings.mAdd = 1;
    rig.Prepare({0, 9, 14}); // every point: full coverage of the additional requirement
    rig.p.Anneal.ReportPending = true;
    rig.p.Anneal.BuildReport();
    // Main c(6,2,1,2): 15 pairs, each block meets 9; 3 blocks cover all; bound 0.
    EXPECT_EQ(rig.host.LastReport.Coverage, "Main Coverage : 0 ( 0 - 0 ) / 15 [100.0000000%]"
                                            "\n\rAdd. Coverage : 0 ( 0 - 0 ) / 6 [100.0000000%]");
    EXPECT_EQ(rig.host.LastReport.SpeedUsageAdd.rfind("Speedup allowed : ", 0), 0u);

    // A mother covering with m = k adds the filtered line and moves the filter text.
    TRig mother(6, 2, 1, 2, 2);
    mother.p.Settings.m = 2; // m = k: the allowed blocks are tracked as m-subsets
    mother.p.Anneal.FilteredImport = true;
    mother.p.Anneal.AllowedBlocks = {0, 1, 9, 14};
    mother.Prepare({0, 9});
    mother.p.Anneal.ReportPending = true;
    mother.p.Anneal.BuildReport();
    // Allowed blocks {1,2},{1,3},{3,4},{5,6} as pairs: {5,6} meets neither block.
    EXPECT_EQ(mother.host.LastReport.Coverage,
              "Main Coverage : 1 ( 1 - 0 ) / 15 [93.3333333%]\n\r- Filtered : 1 ( 1 ) / 4 "
              "[75.0000000%]");
    EXPECT_EQ(mother.host.LastReport.FilterFitTop, 134);
}

TEST(Report, NoEnginesFails) {
    TRig rig(6, 2, 1, 1, 2);
    rig.p.Anneal.ReportPending = true;
    try {
        rig.p.Anneal.BuildReport();
        FAIL();
    } catch (const ECorvinaError& e) {
        EXPECT_STREQ(e.what(), "No coverage engines activated!");
    }
}

TEST(Report, BiasGraphKeepsSixtyPoints) {
    TRig rig(6, 2, 1, 1, 2);
    rig.Prepare({0, 9});
    rig.p.Settings.ActiveBiasGraph = true;
    rig.p.Anneal.ClearBiasGraph();
    for (int i = 0; i < 70; ++i) {
        rig.p.Anneal.Bias = 0.001 * i + 0.0004;
        rig.p.Anneal.ReportPending = true;
        rig.p.Anneal.BuildReport();
    }
    const auto& g = rig.p.Anneal.GraphSeries;
    ASSERT_EQ(g.size(), 60u);
    EXPECT_EQ(g.back().first, 69); // the first report after a clear adds no point
    EXPECT_EQ(g.front().first, 10);
    EXPECT_EQ(g.back().second, 0.069); // 0.0694 to three decimals
    rig.p.Settings.ActiveBiasGraph = false;
    rig.p.Anneal.ReportPending = true;
    rig.p.Anneal.BuildReport();
    EXPECT_EQ(rig.p.Anneal.GraphPoints, 0);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g.front(), std::make_pair(0, 0.0));
}

TEST(Report, SliderCaptionsAndSchedule) {
    struct Case {
        int position;
        const char *expand, *tension;
    } cases[] = {{-1000, nullptr, "Tension : V. Stiff -1000"},
                 {-999, "Expand : V. Low -999", "Tension : V. Stiff -999"},
                 {-751, "Expand : V. Low -751", "Tension : V. Stiff -751"},
                 {-750, "Expand : Low -750", "Tension : Stiff -750"},
                 {-251, "Expand : Low -251", "Tension : Stiff -251"},
                 {-250, "Expand : Normal -250", "Tension : Normal -250"},
                 {0, "Expand : Normal 0", "Tension : Normal 0"},
                 {250, "Expand : Normal 250", "Tension : Normal 250"},
                 {251, "Expand : High 251", "Tension : Loose 251"},
                 {750, "Expand : High 750", "Tension : Loose 750"},
                 {751, "Expand : V. High 751", "Tension : V. Loose 751"},
                 {1000, "Expand : V. High 1000", "Tension : V. Loose 1000"}};
    for (const auto& c : cases) {
        if (c.expand) {
            EXPECT_EQ(BiasExpansionCaption(c.position), c.expand);
        }
        EXPECT_EQ(BiasTensionCaption(c.position), c.tension);
    }

    struct Schedule {
        int P, Q;
        double step, decay;
    } schedules[] = {{0, 0, 1.0 / (6 * 2 * 2), 0.98},
                     {-999, 0, 0.001 / (6 * 2 * 2), 0.98},
                     {1000, -1000, 2.0 / (6 * 2 * 2), 0.96},
                     {0, 1000, 1.0 / (6 * 2 * 2), 1 - 1.0 / (6 * 2 * 2)}};
    for (const auto& s : schedules) {
        TRig rig(6, 2, 1, 1, 2);
        rig.p.Settings.VarBias = s.P;
        rig.p.Settings.BiasMultiplier = s.Q;
        rig.PauseAfter(1);
        rig.p.Env.SetRunState(rsRunning);
        EXPECT_NEAR(rig.p.Anneal.BiasStep, s.step, s.step * 1e-12) << s.P << " " << s.Q;
        EXPECT_NEAR(rig.p.Anneal.BiasDecay, s.decay, 1e-15) << s.P << " " << s.Q;
    }
}

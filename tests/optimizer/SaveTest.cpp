#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "OptimizerRig.h"
#include "core/nCkU.h"

using namespace corvina;
using corvina::fake::TRig;
using corvina::testutil::TTempDir;
namespace fs = std::filesystem;

namespace {
std::string Slurp(const fs::path& path) {
    return testutil::ReadAll(path);
}

} // namespace

TEST(FileNames, Proposals) {
    // c(20,6,4,5), 60 blocks, 3000 of 15504 m-subsets uncovered: 80.65 % truncated.
    TRig rig(20, 6, 4, 5, 60);
    std::vector<int32_t> ranks(60);
    for (int i = 0; i < 60; ++i) ranks[i] = i * 600;
    rig.Prepare(ranks);
    TCoverEngineClass& main = rig.Main();
    main.BestCovered = 15504 - 3000;
    EXPECT_EQ(rig.p.Anneal.ProposeFileName(false, false), "V06200405-80%-3000-60");
    main.BestCovered = 15504 - 2544; // at the bound T - b * c1: "[P]"
    EXPECT_EQ(rig.p.Anneal.ProposeFileName(false, false), "V06200405-83%-2544-[P]-60");
    main.BestCovered = 15504; // no rate part; 60 blocks could cover disjoint sets: "[P]"
    EXPECT_EQ(rig.p.Anneal.ProposeFileName(false, false), "V06200405-[P]-60");
    rig.p.Settings.LBase = 2;
    EXPECT_EQ(rig.p.Anneal.ProposeFileName(false, false), "V06200405L2-[P]-60");
    rig.p.Settings.LBase = 1;
    // Inverse c(20,14,13,15).
    EXPECT_EQ(rig.p.Anneal.ProposeFileName(true, false), "V14201315-[P]-60");
    EXPECT_EQ(rig.p.Anneal.ProposeFileName(false, true), "System-0620-38760");

    // Everything covered and b * c1 <= T: the bound is reached.
    TRig small(6, 2, 1, 1, 3);
    small.Prepare({0, 9, 14});
    EXPECT_EQ(small.p.Anneal.ProposeFileName(false, false), "V02060101-[P]-3");
    // No inverse: empty name.
    TRig none(4, 2, 1, 3, 2);
    EXPECT_EQ(none.p.Anneal.ProposeFileName(true, false), "");

    // Additional requirement and a mother covering (m = k).
    TRig both(6, 2, 1, 2, 2);
    both.p.FilterSettings.CovAdd = true;
    both.p.FilterSettings.tAdd = 1;
    both.p.FilterSettings.mAdd = 1;
    both.p.FilterSettings.LBaseAdd = 2;
    both.p.Anneal.FilteredImport = true;
    both.p.Anneal.AllowedBlocks = {0, 1, 9, 14};
    both.Prepare({0, 9});
    // Filtered: 3 of 4 allowed covered; overall 14 of 15; additional: 0 of 6 twice.
    EXPECT_EQ(both.p.Anneal.ProposeFileName(false, false),
              "V02060102-[FD-75%-1]-93%-1+0101L2-00%-6-2");
}

TEST(Saving, TextCompressedInverseAndClipboard) {
    TTempDir dir;
    TRig rig(7, 3, 2, 3, 3);
    rig.p.Settings.Selected.assign(101, false);
    for (int n : {3, 8, 11, 20, 31, 40, 45}) rig.p.Settings.Selected[n] = true; // My numbers
    rig.Prepare({34, 0, 10}); // {5,6,7}, {1,2,3}, {1,4,6}
    rig.host.SaveAnswers = {{true, dir.Str() + "/c.txt", 1},
                            {true, dir.Str() + "/c", 2},
                            {true, dir.Str() + "/inv.dat", 1}};
    rig.p.Anneal.Save(false, false);
    EXPECT_EQ(Slurp(dir.Path / "c.txt"), "03 08 11\r\n03 20 40\r\n31 40 45\r\n");
    rig.p.Anneal.Save(false, false);
    const std::string cvc = Slurp(dir.Path / "c.cvc");
    ASSERT_EQ(cvc.size(), 16u + 3 * 4);
    EXPECT_EQ(cvc.substr(0, 4), std::string("\0CVC", 4));
    EXPECT_EQ(static_cast<uint8_t>(cvc[16 + 4]), 10); // the unmapped rank of {1,4,6}
    EXPECT_EQ(rig.p.Anneal.SaveFolder, dir.Path.string());
    rig.p.Anneal.Save(true, false);
    // Complements, last block first, mapped; always a blank between numbers.
    EXPECT_EQ(Slurp(dir.Path / "inv.txt"), "03 08 11 20\r\n08 11 31 45\r\n20 31 40 45\r\n");
    rig.p.Anneal.CopyToClipboard();
    EXPECT_EQ(rig.host.Clipboard, "03 08 11\r\n03 20 40\r\n31 40 45\r\n");
    EXPECT_EQ(rig.host.HourglassDepth, 0);
    EXPECT_FALSE(rig.host.TimerEnabled(rig.p.Anneal.ReportTimer));
}

TEST(Saving, RefusalsAndWarnings) {
    TRig rig(7, 3, 2, 3, 3);
    rig.p.FilterSettings.CovAdd = true;
    rig.p.FilterSettings.tAdd = 1;
    rig.p.FilterSettings.mAdd = 1;
    rig.Prepare({0, 0, 5});
    try {
        rig.p.Anneal.Save(true, false);
        FAIL();
    } catch (const ECorvinaError& e) {
        EXPECT_STREQ(e.what(),
                     "Cannot save inverse when an additional coverage engine is assigned.");
    }
    rig.p.FilterSettings.CovAdd = false;
    rig.p.Anneal.Save(false, false); // cancelled dialog: nothing written
    EXPECT_EQ(rig.host.Boxes, (std::vector<std::string>{"warning: Found duplicate blocks"}));
    EXPECT_FALSE(rig.host.TimerEnabled(rig.p.Anneal.ReportTimer));

    // No inverse exists for c(4,2,1,3): nothing happens, not even the dialog.
    TRig none(4, 2, 1, 3, 2);
    none.Prepare({0, 5});
    none.p.Anneal.Save(true, false);
    EXPECT_EQ(
        std::count(none.host.Events.begin(), none.host.Events.end(), "save dialog (text only)"), 0);
}

TEST(AutoSave, WritesTheNewFileBeforeDeletingTheOld) {
    TTempDir dir;
    TRig rig(7, 3, 2, 3, 3);
    rig.p.Options.ImprovementAutoSaveMode = true;
    rig.p.Options.ImprovementAutoSaveDir = dir.Path.string();
    rig.Prepare({0, 10, 34});
    rig.p.Anneal.AutoSaveNow(); // no timer: nothing pending
    EXPECT_TRUE(fs::is_empty(dir.Path));

    // The timer's tick writes only while a run is running.
    rig.p.Anneal.StartAutoSaveTimer();
    rig.host.Fire(10000);
    EXPECT_TRUE(fs::is_empty(dir.Path));
    rig.p.Env.RunState = rsRunning;
    rig.host.Fire(10000);
    rig.p.Env.RunState = rsImported;
    const std::string first = rig.p.Anneal.LastAutoSaved;
    EXPECT_EQ(fs::path(first).filename().string(),
              rig.p.Anneal.ProposeFileName(false, false) + ".txt");
    EXPECT_EQ(Slurp(first), "01 02 03\r\n01 04 06\r\n05 06 07\r\n");
    rig.p.Anneal.AutoSaveNow(); // written once per improvement
    EXPECT_FALSE(rig.host.TimerEnabled(rig.p.Anneal.AutoSaveTimer));

    // Another name: the new file is complete, then the previous one goes.
    rig.p.Cover.AddBlock(20);
    rig.p.Anneal.StartAutoSaveTimer();
    rig.p.Anneal.AutoSaveNow();
    const std::string second = rig.p.Anneal.LastAutoSaved;
    EXPECT_NE(second, first);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_TRUE(fs::exists(second));

    // A failed write leaves the previous auto-save in place.
    rig.p.Cover.AddBlock(21);
    const std::string third = dir.Str() + "/" + rig.p.Anneal.ProposeFileName(false, false) + ".txt";
    fs::create_directories(third + ".tmp"); // blocks the temporary file
    rig.p.Anneal.StartAutoSaveTimer();
    EXPECT_THROW(rig.p.Anneal.AutoSaveNow(), ECorvinaError);
    EXPECT_TRUE(fs::exists(second));
    EXPECT_EQ(Slurp(second).size(), 4u * 10);
    EXPECT_EQ(rig.p.Anneal.LastAutoSaved, second);
    EXPECT_FALSE(fs::exists(third));
    EXPECT_EQ(rig.host.HourglassDepth, 0);
}

TEST(AutoSave, ImprovementsRestartTheTimerAndPauseWritesAtOnce) {
    TTempDir dir;
    TRig rig(10, 5, 4, 4, 40);
    rig.p.Options.ImprovementAutoSaveMode = true;
    rig.p.Options.ImprovementAutoSaveDir = dir.Path.string();
    rig.host.Answers = {true}; // the confirmation before the run
    rig.PauseAfter(3000);
    rig.p.Env.SetRunState(rsRunning);
    ASSERT_EQ(rig.p.Env.RunState, rsPaused);
    ASSERT_GT(rig.p.Anneal.Improvements, 0);
    // Pausing wrote the pending auto-save: exactly one file, the best covering.
    std::vector<fs::path> files(fs::directory_iterator(dir.Path), fs::directory_iterator{});
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].string(), rig.p.Anneal.LastAutoSaved);
    EXPECT_EQ(Slurp(files[0]), rig.p.Anneal.CoveringClipboardText());
}

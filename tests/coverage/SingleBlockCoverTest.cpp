#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "coverage/SingleBlockCoverU.h"

using namespace corvina;

TEST(SingleBlockCover, Summaries) {
    struct Case {
        int v, k, t, m, LBase;
        double LRate;
        const char* text;
    } cases[] = {
        {49, 6, 3, 6, 1, 1.0, "1-Block cover: 260624 / 13983816 (1.86375%) - Th.Min: 53.655"},
        {49, 6, 3, 3, 2, 0.5, "1-Block cover: 20 / 18424 (0.10855%) - Th.Min: 1381.800 [ L=1.50 ]"},
        // A partial rate alone also shows its multiplicity.
        {10, 3, 2, 3, 1, 0.25, "1-Block cover: 22 / 120 (18.33333%) - Th.Min: 1.364 [ L=0.25 ]"},
        // Two full coverings: L = 2 is not 1.
        {7, 3, 2, 2, 2, 1.0, "1-Block cover: 3 / 21 (14.28571%) - Th.Min: 14.000 [ L=2.00 ]"},
    };
    for (const auto& c : cases) {
        std::string text = "unchanged";
        EXPECT_TRUE(SingleBlockCoverText(c.v, c.k, c.t, c.m, c.LBase, c.LRate, 1, text));
        EXPECT_EQ(text, c.text);
    }
}

TEST(SingleBlockCover, Failures) {
    struct Case {
        int v, k, t, m, LBase;
        double LRate;
        int b;
    } cases[] = {
        {6, 6, 3, 6, 1, 1.0, 1},   // k = v
        {49, 6, 4, 3, 1, 1.0, 1},  // t > m
        {49, 6, 3, 6, 1, 1.0, 0},  // no blocks
        {38, 12, 3, 6, 1, 1.0, 1}, // v above the largest for k = 12
        {10, 3, 3, 3, 1, 1.0, 1},  // t = m = k
        {49, 6, 3, 6, 0, 1.0, 1},  // LBase below 1
        {49, 6, 3, 6, 1, 1.5, 1},  // rate above 1
        {99, 6, 3, 12, 1, 1.0, 1}, // C(99, 12) is too large for the tables
        {49, 6, 3, 6, 1, NAN, 1},  // not a number
    };
    for (const auto& c : cases) {
        std::string text;
        EXPECT_FALSE(SingleBlockCoverText(c.v, c.k, c.t, c.m, c.LBase, c.LRate, c.b, text))
            << c.v << " " << c.k << " " << c.t << " " << c.m;
        EXPECT_EQ(text, "Invalid parameters or too large to handle...");
    }
    EXPECT_STREQ(SingleBlockCoverInitialText, "1-Block cover: - / - (%),  Th.Min: -");
}

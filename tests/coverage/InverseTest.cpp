#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/ErrorsU.h"
#include "core/nCkU.h"
#include "coverage/InverseU.h"

using namespace corvina;

TEST(Inverse, ParametersAndLabel) {
    struct Case {
        int v, k, t, m;
        bool ok;
        int vI, kI, tI, mI;
        const char* label;
    } cases[] = {
        {49, 6, 3, 6, true, 49, 43, 40, 43, "Inverse c(49,43,40,43)"},
        {10, 3, 2, 3, true, 10, 7, 6, 7, "Inverse c(10,07,06,07)"},
        {10, 5, 1, 5, true, 10, 5, 1, 5, "Inverse c(10,05,01,05)"},
        {6, 3, 1, 3, true, 6, 3, 1, 3, "Inverse c(06,03,01,03)"},
        {4, 2, 1, 3, false, 4, 2, 0, 1, "Inverse - Unable to construct"},   // tI < 1
        {10, 3, 3, 3, false, 10, 7, 7, 7, "Inverse - Unable to construct"}, // kI = mI = tI
        {10, 8, 1, 2, true, 10, 2, 1, 8, "Inverse c(10,02,01,08)"},
        {6, 2, 3, 4, false, 6, 4, 3, 2, "Inverse - Unable to construct"}, // mI < tI
        {5, 0, 1, 1, false, 5, 5, 5, 4, "Inverse - Unable to construct"}, // kI >= vI
    };
    for (const auto& c : cases) {
        int vI = -1, kI = -1, tI = -1, mI = -1;
        EXPECT_EQ(TInverseClass::InverseParameters(c.v, c.k, c.t, c.m, vI, kI, tI, mI), c.ok)
            << c.v << " " << c.k << " " << c.t << " " << c.m;
        EXPECT_EQ(vI, c.vI);
        EXPECT_EQ(kI, c.kI);
        EXPECT_EQ(tI, c.tI);
        EXPECT_EQ(mI, c.mI);
        EXPECT_EQ(TInverseClass::LabelText(c.v, c.k, c.t, c.m, 1, 1.0, 1), c.label);
    }
    // The label also needs the requirement itself to pass the parameter check.
    EXPECT_EQ(TInverseClass::LabelText(49, 6, 3, 6, 1, 1.0, 0), "Inverse - Unable to construct");
    EXPECT_STREQ(InverseInitialText, "Inverse c(v,k,t,m)");
}

// The rule the inverse rests on: B and M share at least t points exactly when their
// complements share at least v - k - m + t points. Checked over all pairs for v = 8.
TEST(Inverse, ComplementsKeepTheCoverage) {
    const int v = 8;
    for (int k = 1; k < v; ++k)
        for (int m = 1; m < v; ++m)
            for (int t = 1; t <= std::min(k, m); ++t) {
                int vI, kI, tI, mI;
                if (!TInverseClass::InverseParameters(v, k, t, m, vI, kI, tI, mI)) continue;
                for (unsigned b = 0; b < (1u << v); ++b) {
                    if (__builtin_popcount(b) != k) continue;
                    for (unsigned s = 0; s < (1u << v); ++s) {
                        if (__builtin_popcount(s) != m) continue;
                        const unsigned full = (1u << v) - 1;
                        const bool covered = __builtin_popcount(b & s) >= t;
                        const bool inverseCovered =
                            __builtin_popcount((full & ~b) & (full & ~s)) >= tI;
                        ASSERT_EQ(covered, inverseCovered) << k << " " << t << " " << m;
                    }
                }
            }
}

TEST(Inverse, CoveringText) {
    // v = 5, k = 2: rank 0 is {1,2}, rank 6 is {2,5}, rank 9 is {4,5}.
    const std::vector<int32_t> ranks = {0, 6, 9};
    EXPECT_EQ(TInverseClass::CoveringText(ranks, 5, 2, {}), "01 02 03\r\n01 03 04\r\n03 04 05\r\n");
    // My numbers stand in for the points when all five are given, ascending.
    const TShortIntArray mine = {45, 3, 20, 7, 11};
    EXPECT_EQ(TInverseClass::CoveringText(ranks, 5, 2, mine),
              "03 07 11\r\n03 11 20\r\n11 20 45\r\n");
    // Not a full set of numbers: the points themselves.
    EXPECT_EQ(TInverseClass::CoveringText({0}, 5, 2, {3, 7}), "03 04 05\r\n");
    EXPECT_EQ(TInverseClass::CoveringText({}, 5, 2, {}), "");

    EXPECT_THROW(TInverseClass::CoveringText({10}, 5, 2, {}), ECorvinaError);
    EXPECT_THROW(TInverseClass::CoveringText({-1}, 5, 2, {}), ECorvinaError);
    EXPECT_THROW(TInverseClass::CoveringText({0}, 5, 6, {}), ECorvinaError);
}

TEST(Inverse, EveryLineIsTheComplement) {
    const int v = 49, k = 6;
    std::mt19937 gen(7);
    std::uniform_int_distribution<int32_t> pick(0, Binomial(v, k) - 1);
    std::vector<int32_t> ranks(40);
    for (int32_t& r : ranks) r = pick(gen);
    std::sort(ranks.begin(), ranks.end());
    std::istringstream text(TInverseClass::CoveringText(ranks, v, k, {}));
    std::string line;
    size_t index = ranks.size();
    while (std::getline(text, line)) {
        ASSERT_GT(index, 0u);
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        std::vector<int8_t> block(k);
        ASSERT_TRUE(BlockFromRank(ranks[--index], v, block));
        std::istringstream numbers(line);
        std::vector<int> seen;
        for (int n; numbers >> n;) seen.push_back(n);
        ASSERT_EQ(static_cast<int>(seen.size()), v - k);
        for (int n : seen) EXPECT_EQ(std::count(block.begin(), block.end(), n), 0);
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    }
    EXPECT_EQ(index, 0u);
}

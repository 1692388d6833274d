// The tests of significance against published reference values, with
// their extremes: the normal tail, the score test and its agreement with
// the Wilson interval, Benjamini-Hochberg, and the chi-square tail.
#include "stats/significance.h"

#include <gtest/gtest.h>

#include <math.h>

#include "stats/area_stats.h"

namespace {

TEST(Significance, NormalTailAndScoreStatistic)
{
    // Two-sided tails of the standard normal quantiles of any table.
    const struct {
        double z, p;
    } tails[] = {{0.0, 1.0},       {1.959964, 0.05},   {-1.959964, 0.05},
                 {2.575829, 0.01}, {3.290527, 0.001}, {1.0, 0.3173105}};
    for (const auto &t : tails)
        EXPECT_NEAR(t.p, normal_two_sided_p(t.z), 1e-6 * t.p + 1e-9) << t.z;

    // 43 of 58 against 921 of 1,320; a share of 0 and of 1; n = 1; and no
    // test at all without respondents or against a proportion of 0 or 1.
    const double p0 = 921.0 / 1320.0;
    const struct {
        int32_t k, n;
        double p0, z;
    } scores[] = {{43, 58, p0, 0.723896}, {0, 5, p0, -3.397257}, {5, 5, p0, 1.471776},
                  {1, 1, 0.5, 1.0},       {0, 0, p0, 0.0},       {3, 10, 0.0, 0.0},
                  {3, 10, 1.0, 0.0}};
    for (const auto &s : scores)
        EXPECT_NEAR(s.z, score_z(s.k, s.n, s.p0), 1e-6) << s.k << " of " << s.n;
}

// |z| > 1.959964 exactly when the 95% Wilson interval excludes p0: the
// two rules agree on every k of n for bases from 1 to 60.
TEST(Significance, ScoreTestAgreesWithTheWilsonInterval)
{
    const double averages[] = {0.01, 0.1, 0.25, 921.0 / 1320.0, 0.5, 0.9, 0.99};
    int disagreements = 0;
    for (double p0 : averages) {
        for (int32_t n = 1; n <= 60; n++) {
            for (int32_t k = 0; k <= n; k++) {
                ShareInterval interval;
                wilson_interval(k, n, &interval);
                int excluded = compare_with_average(&interval, p0) != COMPARED_NOT_DIFFERENT;
                disagreements += excluded != (fabs(score_z(k, n, p0)) > normal_z_95);
            }
        }
    }
    EXPECT_EQ(0, disagreements);
}

TEST(Significance, BenjaminiHochbergAdjustsEachTestByItsRank)
{
    const struct {
        std::vector<double> p, adjusted;
    } cases[] = {
        {{0.01, 0.04, 0.03, 0.005, 0.2}, {0.025, 0.05, 0.05, 0.025, 0.2}},
        // Ties share their adjusted value; a later rank can lower an earlier one.
        {{0.02, 0.02, 0.9, 0.5}, {0.04, 0.04, 0.9, 0.666667}},
        {{0.6, 0.7}, {0.7, 0.7}},
        {{0.03}, {0.03}},
        {{}, {}},
    };
    for (const auto &c : cases) {
        int32_t m = (int32_t)c.p.size();
        std::vector<double> adjusted(m + 1);
        std::vector<int32_t> order(m + 1);
        ASSERT_EQ(1, adjust_benjamini_hochberg(c.p.data(), m, adjusted.data(), order.data()));
        for (int32_t i = 0; i < m; i++)
            EXPECT_NEAR(c.adjusted[i], adjusted[i], 1e-6) << i;
    }
    EXPECT_EQ(0, adjust_benjamini_hochberg(nullptr, -1, nullptr, nullptr));
}

TEST(Significance, ChiSquareUpperTail)
{
    // Critical values of the chi-square tables, Agresti's 2 x 3 table
    // (X^2 = 30.07, df 2, p = 2.95e-07), and df 4, whose tail is
    // exp(-x/2) (1 + x/2) in closed form.
    const struct {
        double x;
        int df;
        double p;
    } tails[] = {{3.841459, 1, 0.05},   {6.634897, 1, 0.01},     {11.070498, 5, 0.05},
                 {23.209251, 10, 0.01}, {50.892181, 30, 0.01},   {124.342113, 100, 0.05},
                 {30.07, 2, 2.953809e-07}, {3.21, 4, 0.523317},      {0.001, 1, 0.974773},
                 {0.0, 3, 1.0},         {-1.0, 3, 1.0},          {1000.0, 2, 7.124576e-218}};
    for (const auto &t : tails)
        EXPECT_NEAR(t.p, chi_square_upper_p(t.x, t.df), 1e-4 * t.p) << t.x << ", df " << t.df;
    EXPECT_EQ(0.0, chi_square_upper_p(5.0, 0));
}

}  // namespace

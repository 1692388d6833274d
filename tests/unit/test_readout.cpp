// The words and heights the map shows: bar heights in both modes, the
// legend's lines with the filters in words, and one area's readout.
#include "stats/readout.h"

#include "stats/area_stats.h"
#include "survey/outside_zips.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A query of one answer code and the given (filter 0..9, code) pairs.
TallyQuery query_of(int field, int32_t code, const std::vector<std::pair<int, int32_t>> &filters = {})
{
    TallyQuery query = {};
    if (field >= 0)
        query.field[field] = code;
    for (const auto &filter : filters)
        query.field[FIRST_DEMOGRAPHIC_FIELD + filter.first] = filter.second;
    return query;
}

TEST(Readout, BarHeightsInBothModesAndTheLowBase)
{
    struct Case {
        int index, count, base;
        float share_height;
        bool low;
    } cases[] = {{4, 43, 58, 20.0f * 43 / 58, false}, {5, 5, 5, 20.0f, false}, {6, 1, 4, 5.0f, true},
                 {7, 0, 0, 0.0f, true}};
    TallyResult result = {};
    for (const Case &c : cases) {
        result.counts[c.index] = c.count;
        result.bases[c.index] = c.base;
    }
    float heights[ZIP_SLOTS];
    bar_heights(&result, BARS_SHARE, 200, heights);
    for (const Case &c : cases) {
        EXPECT_EQ((float)c.count, bar_height(&result, BARS_COUNT, 1, c.index));
        EXPECT_FLOAT_EQ(c.count / 200.0f, bar_height(&result, BARS_COUNT, 200, c.index));
        EXPECT_FLOAT_EQ(c.share_height, heights[c.index]);
        EXPECT_EQ(c.low, low_base(&result, BARS_SHARE, c.index) == 1) << c.index;
        EXPECT_EQ(0, low_base(&result, BARS_COUNT, c.index));
    }
}

// A block is the fewest of 1, 2, 5, 10, ... respondents that keep the
// largest located area within 100 blocks (43,964: 77004 of the sample x 758).
TEST(Readout, BlockScaleKeepsTheLargestAreaWithinAHundredBlocks)
{
    const int32_t cases[][2] = {{0, 1},   {1, 1},   {100, 1},  {101, 2},     {200, 2},    {201, 5},
                                {501, 10}, {20000, 200}, {43964, 500}, {1000001, 20000}, {INT32_MAX, 50000000}};
    int32_t respondents[ZIP_SLOTS] = {};
    respondents[0] = INT32_MAX;  // 77000 has no location, so no bar
    for (const auto &c : cases) {
        respondents[2] = c[0];
        EXPECT_EQ(c[1], block_scale(respondents)) << c[0];
    }
}

// Every percent shown goes through one routine: a share in single
// precision as the Info log has it, and exact ties rounded alike on every
// platform (1 of 32 is exactly 3.125%, 1 of 160 exactly 0.625%).
TEST(Readout, PercentsReadTheSameEverywhere)
{
    const struct {
        int32_t part, whole;
        const char *text;
    } shares[] = {{1, 32, "3.12"}, {1, 160, "0.62"}, {3, 32, "9.38"}, {1462, 1491, "98.06"},
                  {1, 8, "12.50"}, {2, 3, "66.67"}, {0, 0, "0.00"}, {7, 0, "0.00"}, {1320, 1320, "100.00"}};
    for (const auto &c : shares) {
        char text[16];
        format_percent(c.part, c.whole, text, sizeof text);
        EXPECT_STREQ(c.text, text) << c.part << " of " << c.whole;
    }
    const struct {
        float value;
        int decimals, sign;
        const char *text;
    } values[] = {{0.25f, 1, 0, "0.2"}, {0.75f, 1, 0, "0.8"}, {12.25f, 1, 1, "+12.2"}, {-0.04f, 1, 1, "0.0"}};
    for (const auto &c : values) {
        char text[16];
        format_percent_value(c.value, c.decimals, c.sign, text, sizeof text);
        EXPECT_STREQ(c.text, text) << c.value;
    }
    // p-values as printf's %.4g writes them, from 1 down to 1e-300, through
    // every power of ten and the roundings up to the next.
    std::vector<double> p_values = {0.099996, 0.99996, 0.00099996, 0.0001, 0.0};
    for (double p = 1.0; p > 1e-300; p *= 0.9871)
        p_values.push_back(p);
    for (double p : p_values) {
        char text[32], reference[32];
        format_p_value(p, text, sizeof text);
        snprintf(reference, sizeof reference, "%.4g", p);
        ASSERT_STREQ(reference, text) << p;
    }
}

// The legend's lines, and the readout of an area whatever the bars show.
TEST(Readout, LegendLinesAndAreaReadout)
{
    TallyResult result = {};
    result.total = 921;
    result.filtered = 1320;  // the average: 69.77%
    result.records = 1234567;
    result.counts[4] = 43;
    result.bases[4] = 58;
    result.counts[9] = 193;
    result.bases[9] = 300;
    const std::string count_scale = "921 of 1,234,567 respondents match; bars: one block per respondent";
    const std::string filtered = "921 of 1,320 respondents passing the filters match (1,234,567 loaded); bars: ";
    struct Case {
        TallyQuery query;
        int mode, colors, selected;
        std::vector<std::string> lines;
    } cases[] = {
        // Smoothed, compared each alone.
        {query_of(Q10, 1), BARS_SMOOTHED, COLORS_AVERAGE, -1,
         {"Q10: In which of the following are you currently staying?",
          "Answer: own home or apartment", "Respondents: all",
          "921 of 1,234,567 respondents match; bars: share of the area's respondents, smoothed toward the "
          "average where few answered",
          "orange: above the 69.8% average (each area alone, 95% interval); purple: below"}},
        // Filters in the panel's order, whatever their fields' order.
        {query_of(Q10, 4, {{7, 2}, {6, 11}, {3, 2}, {1, 9}, {0, 1}}), BARS_SHARE, COLORS_AVERAGE, 4,
         {"Q10: In which of the following are you currently staying?", "Answer: shelter",
          "Respondents: Age 18-29, Sex Female, # of Children None, Race No answer, Refused, "
          "Income $1,000 - $10,000",
          filtered + "one block per 5% of the area's respondents",
          "Faint bars: fewer than 5 respondents in the area",
          "orange: above the 69.8% average (2 areas compared together, 5% false discoveries); purple: below",
          "Selected: 77004, 43 (4.67%); 43 of 58 in the area (74.14%)"}},
        // A code no list offers is shown as it is.
        {query_of(Q38, 99, {{0, 17}}), BARS_COUNT, COLORS_PLAIN, 0,
         {"Q38: Your City Council District Member is?", "Answer: No answer/Refused",
          "Respondents: Age 17", filtered + "one block per respondent", "Selected: 77000, 0 (0.00%)"}},
        {query_of(-1, 0), BARS_COUNT, COLORS_PLAIN, 599, {"Any question", "Answer: any", "Respondents: all", count_scale}},
    };
    for (const Case &c : cases) {
        compare_areas(&result, c.mode == BARS_SMOOTHED ? COMPARE_ALONE : COMPARE_TOGETHER);
        LegendText legend;
        build_legend(&c.query, &result, c.mode, 1, c.colors, c.selected, &legend);
        EXPECT_EQ(c.lines, std::vector<std::string>(legend.line, legend.line + legend.line_count));
    }
    // A count's block at the data set's scale; a share's is 5% at any scale.
    LegendText scaled;
    build_legend(&cases[0].query, &result, BARS_COUNT, 20000, COLORS_PLAIN, -1, &scaled);
    EXPECT_STREQ("921 of 1,234,567 respondents match; bars: one block per 20,000 respondents", scaled.line[3]);
    build_legend(&cases[1].query, &result, BARS_SHARE, 20000, COLORS_AVERAGE, 4, &scaled);
    EXPECT_EQ(cases[1].lines[3], scaled.line[3]);

    // The share, its interval and the smoothed share over these four areas.
    // 77009's interval (z = -2.05) excludes the average, but its adjusted
    // p-value, 0.0536, does not set it apart among all four.
    result.counts[6] = result.bases[6] = result.bases[7] = 29;
    result.counts[7] = 1;
    const struct {
        int index;
        const char *text;
    } readouts[] = {
        {4, "77004: 43 of 921 matching (4.67% of all matching)\r\n"
            "43 of 58 respondents in the area (74.14%), 95% interval 61.6\x96" "83.7%\r\n"
            "smoothed 73.8%; not different from the 69.8% average"},
        {6, "77006: 29 of 921 matching (3.15% of all matching)\r\n"
            "29 of 29 respondents in the area (100.00%), 95% interval 88.3\x96" "100.0%\r\n"
            "smoothed 95.1%; above the 69.8% average\r\nfew respondents"},
        {7, "77007: 1 of 921 matching (0.11% of all matching)\r\n"
            "1 of 29 respondents in the area (3.45%), 95% interval 0.6\x96" "17.2%\r\n"
            "smoothed 14.2%; below the 69.8% average\r\nfew respondents"},
        {9, "77009: 193 of 921 matching (20.96% of all matching)\r\n"
            "193 of 300 respondents in the area (64.33%), 95% interval 58.8\x96" "69.5%\r\n"
            "smoothed 64.4%; not different once all 4 areas are compared"},
        {8, "77008: 0 of 921 matching (0.00% of all matching)"},
    };
    char text[READOUT_BYTES];
    compare_areas(&result, COMPARE_TOGETHER);
    for (const auto &r : readouts) {
        area_readout(&result, r.index, text, sizeof text);
        EXPECT_STREQ(r.text, text);
    }
    EXPECT_NEAR(20 * 0.73751186, bar_height(&result, BARS_SMOOTHED, 1, 4), 1e-5);

    // Before any data, the count line says how to get some; after a file
    // without respondents, loaded as an empty data set, that one was loaded.
    result.records = 0;
    LegendText empty;
    build_legend(&cases[0].query, &result, BARS_COUNT, 1, COLORS_PLAIN, -1, &empty);
    EXPECT_STREQ("No survey loaded: File > Load Data.., or drop a file here", empty.line[3]);
    RecordBuffer none;
    ASSERT_EQ(1, buffer_init(&none, 0));
    store_replace(&none);
    build_legend(&cases[0].query, &result, BARS_COUNT, 1, COLORS_PLAIN, -1, &empty);
    EXPECT_STREQ("The loaded survey holds no respondents", empty.line[3]);
    store_release();
    // A count or comparison refused for want of memory says so.
    result.records = 5;
    const OutsideZip outside[] = {{99, 1, 0}, {77600, 1, 1}};
    result.outside = outside;
    result.outside_count = 2;
    limit_outside_zips(1);
    EXPECT_EQ(0, compare_areas(&result, COMPARE_TOGETHER));
    limit_outside_zips(0);
    build_legend(&cases[0].query, &result, BARS_COUNT, 1, COLORS_AVERAGE, -1, &empty);
    EXPECT_STREQ("Not compared: no memory left for the zip codes outside the map", empty.line[4]);
    result.refused = 1;
    build_legend(&cases[0].query, &result, BARS_COUNT, 1, COLORS_PLAIN, -1, &empty);
    EXPECT_STREQ("Not counted: no memory left for the zip codes outside the map", empty.line[3]);
}

}  // namespace

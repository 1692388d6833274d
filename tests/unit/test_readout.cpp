// The words and heights the map shows: bar heights in both modes, the
// legend's lines with the filters in words, and one area's readout.
#include "stats/readout.h"

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
}

TEST(Readout, LegendLinesAndAreaReadout)
{
    TallyResult result = {};
    result.total = 921;
    result.filtered = 1320;  // the average: 69.77%
    result.records = 1234567;
    result.counts[4] = 43;
    result.bases[4] = 58;
    const std::string count_scale = "921 of 1,234,567 respondents match; bars: one block per respondent";
    struct Case {
        TallyQuery query;
        int mode, colors, selected;
        std::vector<std::string> lines;
    } cases[] = {
        {query_of(Q10, 1), BARS_COUNT, COLORS_PLAIN, -1,
         {"Q10: In which of the following are you currently staying?",
          "Answer: own home or apartment", "Respondents: all", count_scale}},
        // Filters in the panel's order, whatever their fields' order.
        {query_of(Q10, 4, {{7, 2}, {6, 11}, {3, 2}, {1, 9}, {0, 1}}), BARS_SHARE, COLORS_AVERAGE, 4,
         {"Q10: In which of the following are you currently staying?", "Answer: shelter",
          "Respondents: Age 18-29, Sex Female, # of Children None, Race No answer, Refused, "
          "Income $1,000 - $10,000",
          "921 of 1,234,567 respondents match; bars: one block per 5% of the area's respondents",
          "Faint bars: fewer than 5 respondents in the area",
          "orange: above the 69.8% average (95% interval); purple: below",
          "Selected: 77004, 43 (4.67%); 43 of 58 in the area (74.14%)"}},
        // A code no list offers is shown as it is.
        {query_of(Q38, 99, {{0, 17}}), BARS_COUNT, COLORS_PLAIN, 0,
         {"Q38: Your City Council District Member is?", "Answer: No answer/Refused",
          "Respondents: Age 17", count_scale, "Selected: 77000, 0 (0.00%)"}},
        {query_of(-1, 0), BARS_COUNT, COLORS_PLAIN, 599, {"Any question", "Answer: any", "Respondents: all", count_scale}},
    };
    for (const Case &c : cases) {
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

    // The interval against the average, where the area has respondents.
    result.counts[6] = result.bases[6] = result.bases[7] = 29;
    result.counts[7] = 1;
    const struct {
        int mode, index;
        const char *text;
    } readouts[] = {
        {BARS_COUNT, 4, "77004: 43 of 921 matching (4.67%)\r\n"
                        "95% interval 61.6\x96" "83.7%; not different from the 69.8% average"},
        {BARS_COUNT, 6, "77006: 29 of 921 matching (3.15%)\r\n"
                        "95% interval 88.3\x96" "100.0%; above the 69.8% average\r\nfew respondents"},
        {BARS_COUNT, 7, "77007: 1 of 921 matching (0.11%)\r\n"
                        "95% interval 0.6\x96" "17.2%; below the 69.8% average\r\nfew respondents"},
        {BARS_COUNT, 8, "77008: 0 of 921 matching (0.00%)"},
    };
    char text[READOUT_BYTES];
    for (const auto &r : readouts) {
        area_readout(&result, r.mode, r.index, text, sizeof text);
        EXPECT_STREQ(r.text, text);
    }
    result.total = 0;
    area_readout(&result, BARS_SHARE, 5, text, sizeof text);
    EXPECT_STREQ("77005: 0 of 0 matching (0.00%)\r\n0 of 0 respondents in the area (0.00%)", text);

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
    // A count refused for want of memory says so rather than show nothing.
    result.records = 5;
    result.refused = 1;
    build_legend(&cases[0].query, &result, BARS_COUNT, 1, COLORS_PLAIN, -1, &empty);
    EXPECT_STREQ("Not counted: no memory left for the zip codes outside the map", empty.line[3]);
}

}  // namespace

// The words and heights the map shows: demographic filters in words, bar
// heights in both modes, the legend's lines and one area's readout.
#include "survey/demographics.h"
#include "survey/readout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A query for question field `field` answered `code`, filters as given.
TallyQuery query_of(int field, int32_t code, std::vector<std::pair<int, int32_t>> filters = {})
{
    TallyQuery query = {};
    if (field >= 0)
        query.field[field] = code;
    for (const auto &filter : filters)
        query.field[FIRST_DEMOGRAPHIC_FIELD + filter.first] = filter.second;
    return query;
}

std::vector<std::string> legend_lines(const TallyQuery &query, const TallyResult &result, int mode,
                                      int selected)
{
    LegendText legend;
    build_legend(&query, &result, mode, selected, &legend);
    return std::vector<std::string>(legend.line, legend.line + legend.line_count);
}

TEST(Demographics, FiltersInWordsInPanelOrder)
{
    struct Case {
        std::vector<std::pair<int, int32_t>> filters;  // (filter 0..9, code)
        const char *words;
    } cases[] = {
        {{}, "all"},
        {{{3, 2}, {0, 1}}, "Age 18-29, Sex Female"},
        {{{7, 2}, {6, 11}, {1, 9}}, "# of Children None, Race No answer, Refused, Income $1,000 - $10,000"},
        {{{0, 99}, {9, 1}}, "Age No answer, Refused, Veteran Yes"},
        {{{0, 17}}, "Age 17"},  // a code no list offers is shown as it is
    };
    for (const Case &c : cases) {
        int32_t codes[DEMOGRAPHIC_LISTS] = {};
        for (const auto &filter : c.filters)
            codes[filter.first] = filter.second;
        char text[FILTER_TEXT_BYTES];
        describe_filters(codes, text, sizeof text);
        EXPECT_EQ(c.words, std::string(text));
    }
    // Every list starts with "All" = 0 and each code finds its own position.
    for (int n = 0; n < DEMOGRAPHIC_LISTS; n++) {
        const DemographicList *list = demographic_list(n);
        ASSERT_NE(nullptr, list);
        EXPECT_STREQ("All", list->texts[0]);
        for (int i = 0; i < list->choice_count; i++)
            EXPECT_EQ(i, demographic_position(list, list->codes[i])) << list->label;
    }
    EXPECT_EQ(nullptr, demographic_list(DEMOGRAPHIC_LISTS));
}

TEST(Readout, BarHeightsInBothModesAndTheLowBase)
{
    TallyResult result = {};
    struct Case {
        int index;
        int32_t count, base;
        float count_height, share_height;
        bool low;
    } cases[] = {
        {4, 43, 58, 43.0f, 20.0f * 43 / 58, false},
        {5, 5, 5, 5.0f, 20.0f, false},
        {6, 1, 4, 1.0f, 5.0f, true},
        {7, 0, 0, 0.0f, 0.0f, true},
        {598, 2, 40, 2.0f, 1.0f, false},
    };
    for (const Case &c : cases) {
        result.counts[c.index] = c.count;
        result.bases[c.index] = c.base;
    }
    float heights[ZIP_SLOTS];
    bar_heights(&result, BARS_SHARE, heights);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_FLOAT_EQ(c.count_height, bar_height(&result, BARS_COUNT, c.index));
        EXPECT_FLOAT_EQ(c.share_height, bar_height(&result, BARS_SHARE, c.index));
        EXPECT_FLOAT_EQ(c.share_height, heights[c.index]);
        EXPECT_EQ(c.low, low_base(&result, BARS_SHARE, c.index) == 1);
        EXPECT_EQ(0, low_base(&result, BARS_COUNT, c.index));
    }
    EXPECT_EQ(0.0f, bar_height(&result, BARS_COUNT, -1));
    EXPECT_EQ(0.0f, bar_height(&result, BARS_SHARE, ZIP_SLOTS));
}

TEST(Readout, CountsAndPercentsInWords)
{
    const std::pair<int32_t, const char *> counts[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {1320, "1,320"}, {1234567, "1,234,567"},
        {-1320, "-1,320"}};
    char text[32];
    for (const auto &c : counts) {
        format_count(c.first, text, sizeof text);
        EXPECT_STREQ(c.second, text);
    }
    format_percent(43, 921, text, sizeof text);
    EXPECT_STREQ("4.67", text);
    format_percent(3, 0, text, sizeof text);
    EXPECT_STREQ("0.00", text);
}

TEST(Readout, LegendLines)
{
    TallyResult result = {};
    result.total = 921;
    result.records = 1320;
    result.counts[4] = 43;
    result.bases[4] = 58;
    struct Case {
        const char *name;
        TallyQuery query;
        int mode, selected;
        std::vector<std::string> lines;
    } cases[] = {
        {"count mode, no filters", query_of(Q10, 1), BARS_COUNT, -1,
         {"Q10: In which of the following are you currently staying?",
          "Answer: own home or apartment", "Respondents: all",
          "921 of 1,320 respondents match; bars: one block per respondent"}},
        {"share mode, filters, a selection", query_of(Q10, 4, {{0, 1}, {3, 2}}), BARS_SHARE, 4,
         {"Q10: In which of the following are you currently staying?", "Answer: shelter",
          "Respondents: Age 18-29, Sex Female",
          "921 of 1,320 respondents match; bars: one block per 5% of the area's respondents",
          "Faint bars: fewer than 5 respondents in the area",
          "Selected: 77004, 43 (4.67%); 43 of 58 in the area (74.14%)"}},
        {"last question, an empty area selected", query_of(Q38, 99), BARS_COUNT, 0,
         {"Q38: Your City Council District Member is?", "Answer: No answer/Refused",
          "Respondents: all", "921 of 1,320 respondents match; bars: one block per respondent",
          "Selected: 77000, 0 (0.00%)"}},
        {"no question yet", query_of(-1, 0), BARS_COUNT, 599,
         {"Any question", "Answer: any", "Respondents: all",
          "921 of 1,320 respondents match; bars: one block per respondent"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.lines, legend_lines(c.query, result, c.mode, c.selected));
    }
}

TEST(Readout, AreaReadoutInBothModes)
{
    TallyResult result = {};
    result.total = 1320;
    result.counts[4] = 43;
    result.bases[4] = 58;
    char text[READOUT_BYTES];
    area_readout(&result, BARS_COUNT, 4, text, sizeof text);
    EXPECT_STREQ("77004: 43 of 1,320 matching (3.26%)", text);
    area_readout(&result, BARS_SHARE, 4, text, sizeof text);
    EXPECT_STREQ("77004: 43 of 1,320 matching (3.26%)\r\n43 of 58 respondents in the area (74.14%)", text);
    area_readout(&result, BARS_SHARE, 5, text, sizeof text);
    EXPECT_STREQ("77005: 0 of 1,320 matching (0.00%)\r\n0 of 0 respondents in the area (0.00%)", text);
    area_readout(&result, BARS_COUNT, -1, text, sizeof text);
    EXPECT_STREQ("", text);
}

}  // namespace

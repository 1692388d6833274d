// The statistics of the areas table: the Wilson score interval against
// published reference values, the average and the comparison with it; the
// Areas panel's sorting and its notes.  The rows' order is checked with
// the counts table's.
#include "stats/area_stats.h"

#include "stats/area_list.h"
#include "stats/readout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Each row's share and 95% Wilson score interval against the published
// reference values (43 of 58: 61.62% to 83.65%; 0 of 5: to 43.45%; 5 of 5:
// from 56.55%; 1 of 32: 0.55% to 15.74%), n = 1, and the comparison with
// the average of 921 of 1,320 (69.77%); a base of 1 to 29 is few, none is not.
TEST(AreaStats, RowsCompareEachIntervalWithTheAverage)
{
    const struct {
        int32_t base, matching;
        const char *low, *high, *difference;
        int compared, few;
    } cases[] = {{58, 43, "61.62", "83.65", "+4.37", COMPARED_NOT_DIFFERENT, 0},
                 {5, 0, "0.00", "43.45", "-69.77", COMPARED_BELOW, 1},
                 {5, 5, "56.55", "100.00", "+30.23", COMPARED_NOT_DIFFERENT, 1},
                 {32, 1, "0.55", "15.74", "-66.65", COMPARED_BELOW, 0},
                 {1, 0, "0.00", "79.35", "-69.77", COMPARED_NOT_DIFFERENT, 1},
                 {1, 1, "20.65", "100.00", "+30.23", COMPARED_NOT_DIFFERENT, 1},
                 {30, 29, "83.33", "99.41", "+26.89", COMPARED_ABOVE, 0},
                 {29, 5, "7.60", "34.55", "-52.53", COMPARED_BELOW, 1},
                 // 90.51% - 69.77%: +20.74, where the exact proportions give +20.73.
                 {453, 410, "87.46", "92.88", "+20.74", COMPARED_ABOVE, 0},
                 {0, 0, "0.00", "0.00", "0.00", COMPARED_NONE, 0}};
    TallyResult result = {};
    result.total = 921;
    result.filtered = 1320;
    for (const auto &c : cases) {
        result.bases[4] = c.base;
        result.counts[4] = c.matching;
        AreaRow row;
        area_row_of_index(&result, 4, &row);
        char texts[3][16];
        const float values[3] = {row.low, row.high, row.difference};
        for (int v = 0; v < 3; v++)
            format_percent_value(values[v], 2, v == 2, texts[v], sizeof texts[v]);
        EXPECT_EQ(std::vector<std::string>({c.low, c.high, c.difference}),
                  std::vector<std::string>(texts, texts + 3)) << c.matching << " of " << c.base;
        EXPECT_TRUE(c.compared == row.compared && c.few == row.few && row.average == 69.772727f) << c.base;
    }
    // No interval without a base or for a count outside it.
    ShareInterval interval;
    EXPECT_EQ(0, wilson_interval(0, 0, &interval) + wilson_interval(0, -3, &interval) +
                     wilson_interval(6, 5, &interval) + wilson_interval(-1, 5, &interval));

    // No one or everyone gave the answer: the average is 0% or 100%, and 0
    // of n or n of n touches it exactly, which is not different from it.
    for (int32_t everyone : {0, 30}) {
        result = {};
        result.filtered = result.bases[5] = 30;
        result.total = result.counts[5] = everyone;
        AreaRow row;
        area_row_of_index(&result, 5, &row);
        EXPECT_EQ(COMPARED_NOT_DIFFERENT, row.compared) << everyone;
    }
    EXPECT_EQ(0.0, average_share(&(result = {})));
}

// Rows of zips 77002.. over the average of 690 of 1,000 (69.0%).
std::vector<AreaRow> rows_of(const std::vector<std::pair<int32_t, int32_t>> &bases_and_counts)
{
    TallyResult result = {};
    result.total = 690;
    result.filtered = 1000;
    std::vector<AreaRow> rows;
    for (size_t i = 0; i < bases_and_counts.size(); i++) {
        result.bases[2 + i] = bases_and_counts[i].first;
        result.counts[2 + i] = bases_and_counts[i].second;
        rows.emplace_back();
        area_row_of_index(&result, (int)(2 + i), &rows.back());
    }
    return rows;
}

TEST(AreaList, RowsSortAsNumbersEitherWayWithoutAShareLast)
{
    // 77006 ties 77004 on share (1 in 5); 77005 has no base.
    std::vector<AreaRow> rows = rows_of({{9, 1}, {100, 70}, {5, 1}, {0, 0}, {40, 8}, {1000, 9}});
    const struct {
        int column, descending;
        std::vector<int32_t> zips;
    } cases[] = {
        {AREA_SHARE, 0, {77007, 77002, 77004, 77006, 77003, 77005}},
        {AREA_SHARE, 1, {77003, 77004, 77006, 77002, 77007, 77005}},
        {AREA_VERSUS_AVERAGE, 1, {77003, 77004, 77006, 77002, 77007, 77005}},
        {AREA_NOTE, 0, {77006, 77007, 77002, 77004, 77003, 77005}},
    };
    for (const auto &c : cases) {
        std::vector<AreaRow> sorted = rows;
        std::stable_sort(sorted.begin(), sorted.end(), [&c](const AreaRow &a, const AreaRow &b) {
            return compare_area_rows(&a, &b, c.column, c.descending) < 0;
        });
        std::vector<int32_t> zips;
        for (const AreaRow &row : sorted)
            zips.push_back(row.zip_code);
        EXPECT_EQ(c.zips, zips) << area_column_title(c.column) << (c.descending ? " descending" : "");
    }
    // A note joins the comparison and the small base.
    char note[AREA_CELL_BYTES];
    area_cell(&rows[0], AREA_NOTE, note, sizeof note);
    EXPECT_STREQ("below, few respondents", note);
}

}  // namespace

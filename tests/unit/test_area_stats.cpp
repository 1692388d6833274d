// The statistics of the areas table: the Wilson score interval against
// published reference values, the average, the comparison with it and the
// rows' order; the Areas panel's cells, sorting and copied lines.
#include "survey/area_stats.h"

#include "survey/area_list.h"
#include "survey/readout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string percent(double proportion)
{
    char text[16];
    format_percent_value((float)(proportion * 100.0), 2, 0, text, sizeof text);
    return text;
}

TEST(AreaStats, WilsonIntervalAtTheReferenceValuesAndTheEnds)
{
    const struct {
        int32_t k, n;
        const char *low, *high;
    } cases[] = {{43, 58, "61.62", "83.65"}, {0, 5, "0.00", "43.45"}, {5, 5, "56.55", "100.00"},
                 {1, 32, "0.55", "15.74"}, {0, 1, "0.00", "79.35"}, {1, 1, "20.65", "100.00"},
                 {921, 1320, "67.24", "72.19"}};
    for (const auto &c : cases) {
        ShareInterval interval;
        ASSERT_EQ(1, wilson_interval(c.k, c.n, &interval));
        EXPECT_EQ(c.low, percent(interval.low)) << c.k << " of " << c.n;
        EXPECT_EQ(c.high, percent(interval.high)) << c.k << " of " << c.n;
        // 0 of n and n of n end exactly at 0 and 1, so they can touch an average there.
        EXPECT_TRUE(c.k != 0 || interval.low == 0.0);
        EXPECT_TRUE(c.k != c.n || interval.high == 1.0);
    }
    const int32_t refused[][2] = {{0, 0}, {1, 0}, {-1, 5}, {6, 5}, {0, -3}};
    for (const auto &r : refused) {
        ShareInterval interval = {0.25, 0.75};
        EXPECT_EQ(0, wilson_interval(r[0], r[1], &interval));
        EXPECT_EQ(0.25, interval.low);
    }
}

TEST(AreaStats, AnIntervalThatTouchesTheAverageIsNotDifferent)
{
    const ShareInterval interval = {0.2, 0.4};
    const struct {
        double average;
        int compared;
    } cases[] = {{0.1, COMPARED_ABOVE}, {0.19999, COMPARED_ABOVE}, {0.2, COMPARED_NOT_DIFFERENT},
                 {0.3, COMPARED_NOT_DIFFERENT}, {0.4, COMPARED_NOT_DIFFERENT}, {0.40001, COMPARED_BELOW},
                 {1.0, COMPARED_BELOW}};
    for (const auto &c : cases)
        EXPECT_EQ(c.compared, compare_with_average(&interval, c.average)) << c.average;
}

TEST(AreaStats, RowsCompareEachAreaWithTheAverage)
{
    TallyResult result = {};
    result.total = 921;
    result.filtered = 1320;
    const struct {
        int index;
        int32_t base, matching;
        const char *share, *low, *high, *difference;
        int compared, few;
    } cases[] = {
        {4, 58, 43, "74.14", "61.62", "83.65", "+4.37", COMPARED_NOT_DIFFERENT, 0},
        {5, 30, 29, "96.67", "83.33", "99.41", "+26.89", COMPARED_ABOVE, 0},
        {6, 29, 5, "17.24", "7.60", "34.55", "-52.53", COMPARED_BELOW, 1},
        {7, 1, 1, "100.00", "20.65", "100.00", "+30.23", COMPARED_NOT_DIFFERENT, 1},
        {8, 0, 0, "0.00", "0.00", "0.00", "0.00", COMPARED_NONE, 1},
    };
    for (const auto &c : cases) {
        result.bases[c.index] = c.base;
        result.counts[c.index] = c.matching;
    }
    for (const auto &c : cases) {
        AreaRow row;
        area_row_of_index(&result, c.index, &row);
        char texts[4][16];
        const float values[4] = {row.share, row.low, row.high, row.difference};
        for (int v = 0; v < 4; v++)
            format_percent_value(values[v], 2, v == 3, texts[v], sizeof texts[v]);
        EXPECT_EQ(std::vector<std::string>({c.share, c.low, c.high, c.difference}),
                  std::vector<std::string>(texts, texts + 4)) << 77000 + c.index;
        EXPECT_EQ(c.compared, row.compared) << 77000 + c.index;
        EXPECT_EQ(c.few, row.few) << 77000 + c.index;
        EXPECT_EQ(69.772727f, row.average);
    }

    // Nobody passing the filters: no average, and every area is 0 of 0.
    TallyResult empty = {};
    EXPECT_EQ(0.0, average_share(&empty));
    // Everyone or no one gave the answer: the average is 100% or 0%, and n
    // of n or 0 of n touches it.
    for (int32_t everyone : {0, 30}) {
        result = {};
        result.filtered = result.bases[5] = 30;
        result.total = result.counts[5] = everyone;
        AreaRow row;
        area_row_of_index(&result, 5, &row);
        EXPECT_EQ(COMPARED_NOT_DIFFERENT, row.compared) << everyone;
    }
}

int every_third_located(int index)
{
    return index % 3 == 0;
}

TEST(AreaStats, RowsRunInZipOrderWithTheZipsOffTheMapAmongThem)
{
    TallyResult result = {};
    result.bases[1] = 2;  // not located, but with respondents
    const OutsideZip outside[] = {{-5, 1, 0}, {99, 1, 1}, {77599, 2, 0}, {99999, 1, 0}};
    result.outside = outside;
    result.outside_count = 4;
    std::vector<int32_t> zips;
    AreaCursor cursor;
    start_area_rows(&cursor, every_third_located);
    AreaRow row;
    while (next_area_row(&result, &cursor, &row))
        zips.push_back(row.index < 0 ? row.zip_code : ZIP_BASE + row.index);
    std::vector<int32_t> expected = {-5, 99, 77000, 77001};
    for (int32_t zip = 77003; zip < 77599; zip += 3)
        expected.push_back(zip);
    expected.insert(expected.end(), {77599, 99999});
    EXPECT_EQ(expected, zips);
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

TEST(AreaList, CellsAndTheLinesThatPasteAsCells)
{
    std::vector<AreaRow> rows = rows_of({{58, 43}, {29, 29}, {40, 8}, {0, 0}});
    const std::vector<std::vector<std::string>> cells = {
        {"77002", "58", "43", "74.14%", "61.6\x96" "83.7%", "+5.1", ""},
        {"77003", "29", "29", "100.00%", "88.3\x96" "100.0%", "+31.0", "above, few respondents"},
        {"77004", "40", "8", "20.00%", "10.5\x96" "34.8%", "-49.0", "below"},
        {"77005", "0", "0", "", "", "", "few respondents"}};
    for (size_t r = 0; r < rows.size(); r++)
        for (int c = 0; c < AREA_COLUMNS; c++) {
            char text[AREA_CELL_BYTES];
            area_cell(&rows[r], c, text, sizeof text);
            EXPECT_EQ(cells[r][c], text) << r << ", " << area_column_title(c);
        }
    char line[AREA_LINE_BYTES];
    area_header_line(line, sizeof line);
    EXPECT_STREQ("Zip\tRespondents\tMatching\tShare\t95% interval\tvs average\tNote\r\n", line);
    area_row_line(&rows[2], line, sizeof line);
    EXPECT_STREQ("77004\t40\t8\t20.00%\t10.5\x96" "34.8%\t-49.0\tbelow\r\n", line);
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
        {AREA_RESPONDENTS, 0, {77005, 77004, 77002, 77006, 77003, 77007}},
        {AREA_VERSUS_AVERAGE, 1, {77003, 77004, 77006, 77002, 77007, 77005}},
        {AREA_ZIP, 1, {77007, 77006, 77005, 77004, 77003, 77002}},
        {AREA_NOTE, 0, {77006, 77007, 77002, 77004, 77005, 77003}},
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
}

}  // namespace

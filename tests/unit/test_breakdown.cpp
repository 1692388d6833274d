// The breakdown: its counts against a brute-force count of the records,
// its statistics against published values and their extremes, and its
// words.
#include "stats/breakdown.h"

#include "stats/area_stats.h"
#include "stats/breakdown_text.h"
#include "stats/number_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

const int q20 = 10, q28 = 20;
const int sex = 1, income = 7, number_of_children = 4;  // Demographics lists

// Records with every question's codes, codes of no answer and of no
// group, a few zip codes; "# of Children" never 10 or more.
void store_random_records(int count)
{
    const int32_t codes[] = {1, 1, 2, 2, 3, 4, 9, 99, 0, 55, 200, -1};
    const int32_t zips[] = {77004, 77004, 77005, 75201, 77598};
    std::mt19937 random(11);
    RecordBuffer buffer;
    ASSERT_EQ(1, buffer_init(&buffer, count));
    for (int r = 0; r < count; r++) {
        RespondentRecord *record = buffer_append(&buffer);
        for (int32_t &field : record->field)
            field = codes[random() % (sizeof codes / sizeof codes[0])];
        record->field[Q32] = zips[random() % 5];
    }
    store_replace(&buffer);
}

// A row as (respondents, matching).
typedef std::vector<std::pair<int32_t, int32_t>> Rows;

Rows counted_rows(const Breakdown &breakdown)
{
    Rows rows;
    for (int r = 0; r < breakdown.row_count; r++)
        rows.push_back({breakdown.rows[r].respondents, breakdown.rows[r].matching});
    return rows;
}

// The rows counted record by record, as the definitions say.
Rows brute_force_rows(const BreakdownScope &scope, int question, int answer)
{
    const QuestionEntry *entry = catalogue_entry(question);
    const DemographicList *list = demographic_list(scope.by);
    auto in_scope = [&](const RespondentRecord &record) {
        for (int f = 0; f < DEMOGRAPHIC_FIELDS; f++)
            if (scope.filters[f] != 0 && record.field[FIRST_DEMOGRAPHIC_FIELD + f] != scope.filters[f])
                return false;
        return scope.zip_code == 0 || record.field[Q32] == scope.zip_code;
    };
    auto count = [&](auto condition) {
        int32_t n = 0;
        for (int32_t r = 0; r < record_count(); r++)
            n += in_scope(record_data()[r]) && condition(record_data()[r].field);
        return n;
    };
    const int field = question_field(question);
    auto gave = [&](int a) {
        return [=](const int32_t *f) {
            if (a != CROSSTAB_OTHER)
                return f[field] == entry->answers[a].code;
            for (int b = 0; b < entry->answer_count; b++)
                if (f[field] == entry->answers[b].code)
                    return false;
            return true;
        };
    };
    auto anyone = [](const int32_t *) { return true; };
    Rows rows;
    if (!list) {
        for (int a = 0; a < entry->answer_count; a++)
            rows.push_back({count(anyone), count(gave(a))});
        if (count(gave(CROSSTAB_OTHER)) > 0)
            rows.push_back({count(anyone), count(gave(CROSSTAB_OTHER))});
        return rows;
    }
    rows.push_back({count(anyone), count(gave(answer))});
    const int by_field = FIRST_DEMOGRAPHIC_FIELD + list->filter;
    for (int g = 1; g < list->choice_count; g++) {
        auto in_group = [&](const int32_t *f) { return f[by_field] == list->codes[g]; };
        rows.push_back({count(in_group), count([&](const int32_t *f) { return in_group(f) && gave(answer)(f); })});
    }
    return rows;
}

TEST(Breakdown, CountsAsTheRecordsSay)
{
    store_random_records(2000);
    const struct {
        BreakdownScope scope;
        int question, answer;
    } cases[] = {
        {{{}, 0, BY_ANSWERS}, q28, 0},
        {{{}, 77004, BY_ANSWERS}, q20, 1},
        {{{0, 0, 0, 2}, 0, income}, q20, 0},                      // Sex Female
        {{{}, 77004, sex}, 0, CROSSTAB_OTHER},                   // the codes of no answer
        {{{4, 0, 0, 0, 0, 0, 0, 3}, 77005, number_of_children}, 33, 2},  // empty groups
        {{{}, 12345, sex}, q20, 0},                              // no one in scope
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.question) + " by " + std::to_string(c.scope.by) + " in " +
                     std::to_string(c.scope.zip_code));
        Crosstab one;
        Breakdown breakdown, from_all;
        ASSERT_EQ(1, count_crosstab(&c.scope, c.question, &one));
        ASSERT_EQ(1, make_breakdown(&c.scope, c.question, c.answer, &one, &breakdown));
        Rows expected = brute_force_rows(c.scope, c.question, c.answer);
        EXPECT_EQ(expected, counted_rows(breakdown));
        // The survey's one pass gives every question the same table.
        Crosstab all;
        ASSERT_EQ(1, count_survey_crosstabs(&c.scope) + survey_crosstab(c.question, &all) - 1);
        ASSERT_EQ(1, make_breakdown(&c.scope, c.question, c.answer, &all, &from_all));
        EXPECT_EQ(expected, counted_rows(from_all));
        // By answers the Matching column adds up to Respondents.
        int32_t matching = 0;
        for (const auto &row : expected)
            matching += row.second;
        EXPECT_TRUE(c.scope.by != BY_ANSWERS || matching == expected[0].first);
    }
    // What the catalogue lacks counts nothing.
    Crosstab table;
    Breakdown breakdown;
    const BreakdownScope no_list = {{}, 0, DEMOGRAPHIC_LISTS}, answers = {{}, 0, BY_ANSWERS};
    EXPECT_EQ(0, count_crosstab(&answers, CATALOGUE_SIZE, &table) + count_crosstab(&no_list, 0, &table) +
                     count_survey_crosstabs(&no_list) + make_breakdown(&answers, -1, 0, &table, &breakdown) +
                     make_breakdown(&answers, q20, 3, &table, &breakdown) + survey_crosstab(CATALOGUE_SIZE, &table));
    store_release();
}

// A table of answers (columns) by the groups of a list (rows), from its
// first group on.
Breakdown breakdown_of(int question, int by, const std::vector<std::vector<int32_t>> &groups,
                       int32_t zip_code = 0, int32_t filter = 0)
{
    Crosstab table = {};
    for (size_t g = 0; g < groups.size(); g++)
        for (size_t a = 0; a < groups[g].size(); a++)
            table.cells[by == BY_ANSWERS ? 0 : g + 1][a] = groups[g][a];
    BreakdownScope scope = {{}, zip_code, by};
    if (filter)
        scope.filters[demographic_list(by)->filter] = filter;
    Breakdown breakdown;
    make_breakdown(&scope, question, 0, &table, &breakdown);
    return breakdown;
}

std::vector<std::string> cells_of(const Breakdown &breakdown, int row)
{
    std::vector<std::string> cells;
    for (int c = 0; c < breakdown_column_count(breakdown.scope.by); c++) {
        char text[BREAKDOWN_CELL_BYTES];
        breakdown_cell(&breakdown, &breakdown.rows[row], c, text, sizeof text);
        cells.push_back(text);
    }
    return cells;
}

// Agresti, Categorical Data Analysis (3rd ed.), table 3.2: party
// identification by gender, [[762, 327, 468], [484, 239, 477]]: X^2 =
// 30.07, df 2, p = 2.95e-07.  Each group against All's 1,246 of 2,757
// (45.19%): 762 of 1,557 gives z = 2.970, p = 0.00298; 484 of 1,200 gives
// z = -3.383, p = 0.000716; Benjamini-Hochberg makes them 0.00298 and
// 0.00143, both discoveries.
TEST(Breakdown, GroupsAgainstAllAndTheTestOfTheWholeTable)
{
    Breakdown agresti = breakdown_of(q20, sex, {{484, 239, 477}, {762, 327, 468}});
    EXPECT_EQ(1, agresti.tested);
    EXPECT_NEAR(30.0701, agresti.chi_square, 1e-4);
    EXPECT_EQ(2, agresti.df);
    EXPECT_NEAR(2.9536e-07, agresti.p_value, 1e-10);
    EXPECT_EQ(0, agresti.sparse);
    const std::vector<std::vector<std::string>> rows = {
        {"All", "1,246", "2,757", "45.19%", "43.3\x96" "47.1%", "", ""},
        {"Male", "484", "1,200", "40.33%", "37.6\x96" "43.1%", "-4.9 below", ""},
        {"Female", "762", "1,557", "48.94%", "46.5\x96" "51.4%", "+3.7 above", ""},
        {"No answer, Refused", "0", "0", "", "", "", ""},
    };
    for (int r = 0; r < agresti.row_count; r++)
        EXPECT_EQ(rows[r], cells_of(agresti, r)) << r;

    // The extremes: n = 1, shares of 0 and 1, groups without respondents,
    // and All's share at 0 (no group can differ from it).
    const struct {
        std::vector<std::vector<int32_t>> groups;
        std::vector<int> compared;  // of the groups
        std::vector<std::string> low_high;  // of the first group
        int tested, df;
    } cases[] = {
        {{{1, 0}, {40, 60}}, {COMPARED_NOT_DIFFERENT, COMPARED_NOT_DIFFERENT, COMPARED_NONE}, {"20.65", "100.00"}, 1, 1},
        {{{0, 30}, {30, 0}}, {COMPARED_BELOW, COMPARED_ABOVE, COMPARED_NONE}, {"0.00", "11.35"}, 1, 1},
        {{{0, 5}, {0, 7}}, {COMPARED_NOT_DIFFERENT, COMPARED_NOT_DIFFERENT, COMPARED_NONE}, {"0.00", "43.45"}, 0, 0},
        {{{}, {3, 4}}, {COMPARED_NONE, COMPARED_NOT_DIFFERENT, COMPARED_NONE}, {"", ""}, 0, 0},
        {{{}, {}}, {COMPARED_NONE, COMPARED_NONE, COMPARED_NONE}, {"", ""}, 0, 0},
    };
    for (const auto &c : cases) {
        Breakdown breakdown = breakdown_of(q20, sex, c.groups);
        SCOPED_TRACE(breakdown.rows[1].respondents);
        std::vector<int> compared;
        for (int r = 1; r < breakdown.row_count; r++)
            compared.push_back(breakdown.rows[r].compared);
        EXPECT_EQ(c.compared, compared);
        char low[16] = "", high[16] = "";
        if (breakdown.rows[1].respondents > 0) {
            format_percent_value(breakdown.rows[1].low, 2, 0, low, sizeof low);
            format_percent_value(breakdown.rows[1].high, 2, 0, high, sizeof high);
        }
        EXPECT_EQ(c.low_high, std::vector<std::string>({low, high}));
        EXPECT_EQ(std::make_pair(c.tested, c.df), std::make_pair(breakdown.tested, breakdown.df));
    }
}

TEST(Breakdown, TheTextLineSaysWhatTheTableShows)
{
    const struct {
        Breakdown breakdown;
        const char *text;
    } cases[] = {
        {breakdown_of(q28, BY_ANSWERS, {{351, 159, 165, 249, 146, 212, 38}}), "Q28: 1,320 respondents"},
        {breakdown_of(q28, BY_ANSWERS, {{43}}, 77004), "Q28 in zip 77004: 43 respondents"},
        {breakdown_of(q28, BY_ANSWERS, {{0, 1}}), "Q28: 1 respondent"},
        {breakdown_of(q20, sex, {{484, 239, 477}, {762, 327, 468}}),
         "Q20 by Sex: the answers differ between groups (chi-square 30.07, df 2, p < 0.001)"},
        // df 2: p = exp(-X^2 / 2) = 0.650.
        {breakdown_of(q20, income, {{20, 15, 5}, {18, 20, 7}}, 77004),
         "Q20 in zip 77004 by Income: no clear difference between groups (chi-square 0.86, df 2, p = 0.650)"},
        // Every expected count is 2: df 1, p = erfc(1) = 0.157.
        {breakdown_of(q20, sex, {{3, 1}, {1, 3}}),
         "Q20 by Sex: no clear difference between groups (chi-square 2.00, df 1, p = 0.157); few respondents "
         "per cell, read with care"},
        // Expected counts of 3 in two cells of ten: a fifth, not more.
        {breakdown_of(q28, sex, {{20, 20, 20, 20, 3}, {20, 20, 20, 20, 3}}),
         "Q28 by Sex: no clear difference between groups (chi-square 0.00, df 4, p = 1.000)"},
        // Two of nine expected counts are 4: more than a fifth.
        {breakdown_of(q20, sex, {{18, 18, 4}, {18, 18, 4}, {27, 27, 6}}),
         "Q20 by Sex: no clear difference between groups (chi-square 0.00, df 4, p = 1.000); few respondents "
         "per cell, read with care"},
        // Two of fourteen, but under 1; df 6: p = exp(-x/2) (1 + x/2 + x^2/8).
        {breakdown_of(q28, sex, {{50, 50, 50, 50, 50, 50, 1}, {50, 50, 50, 50, 50, 50, 0}}),
         "Q28 by Sex: no clear difference between groups (chi-square 1.00, df 6, p = 0.986); few respondents "
         "per cell, read with care"},
        {breakdown_of(q20, sex, {{}, {5, 9}}, 0, 2), "Q20 by Sex: too few groups to compare; Sex is filtered to Female"},
        {breakdown_of(q20, income, {{}, {5, 9}}, 0, 77), "Q20 by Income: too few groups to compare; Income is filtered to 77"},
    };
    for (const auto &c : cases) {
        char text[BREAKDOWN_TEXT_BYTES];
        breakdown_summary(&c.breakdown, text, sizeof text);
        EXPECT_STREQ(c.text, text);
    }
    // The copy: full-length numbers, a group's comparison and note; by
    // answers the other codes close the rows.
    char line[BREAKDOWN_LINE_BYTES];
    const Breakdown &agresti = cases[3].breakdown;
    breakdown_header_line(sex, line, sizeof line);
    EXPECT_STREQ("group\trespondents\tmatching\tpercent\tinterval_low_95\tinterval_high_95\tdifference_points\t"
                 "compared\tnote\r\n", line);
    breakdown_row_line(&agresti, &agresti.rows[1], line, sizeof line);
    EXPECT_STREQ("Male\t1200\t484\t40.33\t37.59\t43.14\t-4.86\tbelow\t\r\n", line);
    // The table's p-value as the counts table writes its own.
    std::string table;
    auto append = [](void *to, const char *text, size_t length) {
        ((std::string *)to)->append(text, length);
        return 1;
    };
    emit_breakdown_lines(&agresti, -1, append, &table);
    EXPECT_NE(std::string::npos, table.find(",30.07,2,2.954e-07\r\n")) << table;
    const Breakdown answers = breakdown_of(q20, BY_ANSWERS, {{3, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}});
    ASSERT_EQ(4, answers.row_count);
    breakdown_row_line(&answers, &answers.rows[3], line, sizeof line);
    EXPECT_STREQ("(other codes)\t24\t1\t4.17\t0.74\t20.24\r\n", line);
}

TEST(Breakdown, RowsSortWithAllFirstAndEmptyGroupsLast)
{
    const Breakdown b = breakdown_of(q20, income, {{1, 9}, {}, {6, 4}, {3, 7}});
    const struct {
        int column, descending;
        std::vector<int> order;  // row positions
    } cases[] = {{BREAKDOWN_LABEL, 0, {0, 1, 2, 3, 4}}, {BREAKDOWN_LABEL, 1, {0, 4, 3, 2, 1}},
                 {BREAKDOWN_SHARE, 0, {0, 1, 4, 3, 2}}, {BREAKDOWN_SHARE, 1, {0, 3, 4, 1, 2}},
                 {BREAKDOWN_RESPONDENTS, 0, {0, 2, 1, 3, 4}}, {BREAKDOWN_NOTE, 0, {0, 1, 3, 4, 2}}};
    for (const auto &c : cases) {
        std::vector<int> order = {0, 1, 2, 3, 4};
        std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
            return compare_breakdown_rows(&b.rows[x], &b.rows[y], c.column, c.descending) < 0;
        });
        EXPECT_EQ(c.order, order) << c.column << (c.descending ? " descending" : "");
    }
}

}  // namespace

#include "stats/breakdown.h"

#include <string.h>

#include "stats/area_stats.h"
#include "stats/number_format.h"
#include "stats/significance.h"

namespace {

// Per list, code -> group position, 0 for a code no group has: every
// list code is below LOOKED_UP_CODES.
uint8_t group_slot[DEMOGRAPHIC_LISTS][LOOKED_UP_CODES];
static_assert(MAX_DEMOGRAPHIC_CHOICES < 256, "a group's position fits a lookup byte");
int groups_built;

// Per group, every question's answers: a record adds to one group's block
// alone, so its 34 counts stay in cache.
int32_t survey_cells[CROSSTAB_GROUPS][CATALOGUE_SIZE][CROSSTAB_ANSWERS];

void build_group_slots(void)
{
    if (groups_built)
        return;
    for (int n = 0; n < DEMOGRAPHIC_LISTS; n++) {
        const DemographicList *list = demographic_list(n);
        for (int c = 1; c < list->choice_count; c++)
            group_slot[n][list->codes[c]] = (uint8_t)c;
    }
    groups_built = 1;
}

// What a record must hold to be in the scope: the filters in effect and
// the zip code.  By answers every record is in group 0, where a list puts
// the codes none of its groups has.
struct Scope {
    RecordConditions conditions;
    int group_field;
    const uint8_t *groups;  // the list's group_slot; null by answers
};

int read_scope(const BreakdownScope *scope, Scope *reading)
{
    const DemographicList *list = demographic_list(scope->by);
    if (scope->by != BY_ANSWERS && !list)
        return 0;
    build_group_slots();
    list_filter_conditions(scope->filters, &reading->conditions);
    if (scope->zip_code != 0)
        add_condition(&reading->conditions, Q32, scope->zip_code);
    reading->group_field = list ? FIRST_DEMOGRAPHIC_FIELD + list->filter : 0;
    reading->groups = list ? group_slot[scope->by] : nullptr;
    return 1;
}

int in_scope(const Scope *reading, const int32_t *fields)
{
    return record_meets(&reading->conditions, fields, 0, reading->conditions.count);
}

int group_of(const Scope *reading, const int32_t *fields)
{
    uint32_t code = (uint32_t)fields[reading->group_field];
    return reading->groups && code < LOOKED_UP_CODES ? reading->groups[code] : 0;
}

// A table's sums: each group's respondents, position 0 among them, each
// answer's over every group, and everyone's.
struct Margins {
    int32_t group[CROSSTAB_GROUPS];
    int32_t answer[CROSSTAB_ANSWERS];
    int32_t total;
};

void add_up(const Crosstab *table, Margins *margins)
{
    memset(margins, 0, sizeof *margins);
    for (int g = 0; g < CROSSTAB_GROUPS; g++) {
        for (int a = 0; a < CROSSTAB_ANSWERS; a++) {
            margins->group[g] += table->cells[g][a];
            margins->answer[a] += table->cells[g][a];
        }
        margins->total += margins->group[g];
    }
}

void describe_row(int kind, int position, int32_t respondents, int32_t matching, BreakdownRow *row)
{
    memset(row, 0, sizeof *row);
    row->kind = kind;
    row->position = position;
    row->respondents = respondents;
    row->matching = matching;
    row->share = share_percent(matching, respondents);
    row->few = respondents < FEW_RESPONDENTS;
    row->compared = COMPARED_NONE;
    ShareInterval interval;
    if (wilson_interval(matching, respondents, &interval))
        interval_percents(&interval, &row->low, &row->high);
}

// Each group with respondents against the All row as the areas are
// compared together with the average: the two-sided score test of its
// share against All's proportion, the p-values adjusted by Benjamini and
// Hochberg over those groups.
void compare_groups(Breakdown *breakdown)
{
    const BreakdownRow &all = breakdown->rows[0];
    double p0 = all.respondents > 0 ? (double)all.matching / (double)all.respondents : 0.0;
    double z[BREAKDOWN_ROWS], p[BREAKDOWN_ROWS], adjusted[BREAKDOWN_ROWS];
    int32_t order[BREAKDOWN_ROWS], tested_row[BREAKDOWN_ROWS];
    int32_t m = 0;
    for (int r = 1; r < breakdown->row_count; r++) {
        const BreakdownRow &row = breakdown->rows[r];
        if (row.respondents == 0)
            continue;
        z[m] = score_z(row.matching, row.respondents, p0);
        p[m] = normal_two_sided_p(z[m]);
        tested_row[m++] = r;
    }
    adjust_benjamini_hochberg(p, m, adjusted, order);
    for (int32_t i = 0; i < m; i++) {
        BreakdownRow &row = breakdown->rows[tested_row[i]];
        row.difference = row.share - all.share;
        row.compared = compare_together(z[i], adjusted[i]);
    }
}

// K. Pearson (1900), Philosophical Magazine 50: 157-175; Agresti,
// Categorical Data Analysis (3rd ed., 2013), section 3.2: X^2 = sum of
// (O - E)^2 / E over the cells, E = row total * column total / N, with
// (r - 1)(c - 1) degrees of freedom, over the groups with respondents
// and the answers any of them gave.  Its p-value holds when few expected
// counts are small: W. G. Cochran (1954), Biometrics 10: 417-451, asks
// that none be under 1 and no more than a fifth under 5.
void test_independence(const Crosstab *table, const Margins *margins, int group_count, Breakdown *breakdown)
{
    // Position 0 holds the codes no group has: they stay out of the test.
    int32_t answer_total[CROSSTAB_ANSWERS], n = margins->total - margins->group[0];
    int groups = 0, answers = 0;
    for (int g = 1; g < group_count; g++)
        groups += margins->group[g] > 0;
    for (int a = 0; a < CROSSTAB_ANSWERS; a++) {
        answer_total[a] = margins->answer[a] - table->cells[0][a];
        answers += answer_total[a] > 0;
    }
    if (groups < 2 || answers < 2)
        return;
    double sum = 0.0;
    int small = 0, below_one = 0;
    for (int g = 1; g < group_count; g++) {
        for (int a = 0; a < CROSSTAB_ANSWERS; a++) {
            if (margins->group[g] == 0 || answer_total[a] == 0)
                continue;
            double expected = (double)margins->group[g] * (double)answer_total[a] / (double)n;
            double off = (double)table->cells[g][a] - expected;
            sum += off * off / expected;
            small += expected < 5.0;
            below_one += expected < 1.0;
        }
    }
    breakdown->tested = 1;
    breakdown->chi_square = sum;
    breakdown->df = (groups - 1) * (answers - 1);
    breakdown->p_value = chi_square_upper_p(sum, breakdown->df);
    breakdown->sparse = below_one > 0 || small * 5 > groups * answers;
}

}  // namespace

int count_crosstab(const BreakdownScope *scope, int question, Crosstab *table)
{
    memset(table, 0, sizeof *table);
    Scope reading;
    if (!catalogue_entry(question) || !read_scope(scope, &reading))
        return 0;
    const AnswerLookup *lookup = answer_lookup();
    const int field = lookup->field[question];
    const RespondentRecord *records = record_data();
    int32_t count = record_count();
    for (int32_t r = 0; r < count; r++) {
        const int32_t *fields = records[r].field;
        if (in_scope(&reading, fields))
            table->cells[group_of(&reading, fields)][looked_up_answer(lookup, question, fields[field])]++;
    }
    return 1;
}

int count_survey_crosstabs(const BreakdownScope *scope)
{
    memset(survey_cells, 0, sizeof survey_cells);
    Scope reading;
    if (!read_scope(scope, &reading))
        return 0;
    const AnswerLookup *lookup = answer_lookup();
    const RespondentRecord *records = record_data();
    int32_t count = record_count();
    for (int32_t r = 0; r < count; r++) {
        const int32_t *fields = records[r].field;
        if (!in_scope(&reading, fields))
            continue;
        int32_t(*answers)[CROSSTAB_ANSWERS] = survey_cells[group_of(&reading, fields)];
        for (int q = 0; q < CATALOGUE_SIZE; q++)
            answers[q][looked_up_answer(lookup, q, fields[lookup->field[q]])]++;
    }
    return 1;
}

int survey_crosstab(int question, Crosstab *table)
{
    memset(table, 0, sizeof *table);
    if (question < 0 || question >= CATALOGUE_SIZE)
        return 0;
    for (int g = 0; g < CROSSTAB_GROUPS; g++)
        memcpy(table->cells[g], survey_cells[g][question], sizeof table->cells[g]);
    return 1;
}

int make_breakdown(const BreakdownScope *scope, int question, int answer, const Crosstab *table,
                   Breakdown *breakdown)
{
    memset(breakdown, 0, sizeof *breakdown);
    const QuestionEntry *entry = catalogue_entry(question);
    const DemographicList *list = demographic_list(scope->by);
    if (!entry || (scope->by != BY_ANSWERS && !list) || answer < 0 ||
        (answer >= entry->answer_count && answer != CROSSTAB_OTHER))
        return 0;
    breakdown->scope = *scope;
    breakdown->question = question;
    breakdown->answer = answer;
    Margins margins;
    add_up(table, &margins);
    BreakdownRow *rows = breakdown->rows;
    if (!list) {
        for (int a = 0; a < entry->answer_count; a++)
            describe_row(ROW_ANSWER, a, margins.total, margins.answer[a], &rows[breakdown->row_count++]);
        if (margins.answer[CROSSTAB_OTHER] > 0)
            describe_row(ROW_OTHER_CODES, CROSSTAB_OTHER, margins.total, margins.answer[CROSSTAB_OTHER],
                         &rows[breakdown->row_count++]);
        return 1;
    }
    describe_row(ROW_ALL, 0, margins.total, margins.answer[answer], &rows[breakdown->row_count++]);
    for (int g = 1; g < list->choice_count; g++)
        describe_row(ROW_GROUP, g, margins.group[g], table->cells[g][answer], &rows[breakdown->row_count++]);
    compare_groups(breakdown);
    test_independence(table, &margins, list->choice_count, breakdown);
    return 1;
}

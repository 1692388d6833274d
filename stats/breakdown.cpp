#include "stats/breakdown.h"

#include <string.h>

#include "stats/area_stats.h"
#include "stats/number_format.h"
#include "stats/significance.h"

namespace {

enum { LOOKED_UP_CODES = 128 };  // every answer and group code is below this

// Per question and per list, code -> answer slot or group position; codes
// are small but not dense (9 and 99 mean no answer).
uint8_t answer_slot[CATALOGUE_SIZE][LOOKED_UP_CODES];
uint8_t group_slot[DEMOGRAPHIC_LISTS][LOOKED_UP_CODES];
int8_t asked_field[CATALOGUE_SIZE];
int slots_built;

// Per group, every question's answers: a record adds to one group's block
// alone, so its 34 counts stay in cache.
int32_t survey_cells[CROSSTAB_GROUPS][CATALOGUE_SIZE][CROSSTAB_ANSWERS];

void build_slots(void)
{
    if (slots_built)
        return;
    memset(answer_slot, CROSSTAB_OTHER, sizeof answer_slot);
    for (int q = 0; q < CATALOGUE_SIZE; q++) {
        const QuestionEntry *entry = catalogue_entry(q);
        for (int a = 0; a < entry->answer_count; a++)
            answer_slot[q][entry->answers[a].code] = (uint8_t)a;
        asked_field[q] = (int8_t)question_field(q);
    }
    for (int n = 0; n < DEMOGRAPHIC_LISTS; n++) {
        const DemographicList *list = demographic_list(n);
        for (int c = 1; c < list->choice_count; c++)
            group_slot[n][list->codes[c]] = (uint8_t)c;
    }
    slots_built = 1;
}

int answer_of(int question, int32_t code)
{
    return (uint32_t)code < LOOKED_UP_CODES ? answer_slot[question][code] : (int)CROSSTAB_OTHER;
}

// What a record must hold to be in the scope: the filters in effect and
// the zip code, as fields and codes.  The group field is 0 by answers, a
// code every group table maps to position 0.
struct Conditions {
    int field[DEMOGRAPHIC_FIELDS + 1];
    int32_t code[DEMOGRAPHIC_FIELDS + 1];
    int count;
    int group_field;
    const uint8_t *groups;  // code -> position; null by answers
};

int read_scope(const BreakdownScope *scope, Conditions *conditions)
{
    if (scope->by != BY_ANSWERS && !demographic_list(scope->by))
        return 0;
    build_slots();
    conditions->count = 0;
    for (int f = 0; f < DEMOGRAPHIC_FIELDS; f++) {
        if (scope->filters[f] != 0) {
            conditions->field[conditions->count] = FIRST_DEMOGRAPHIC_FIELD + f;
            conditions->code[conditions->count++] = scope->filters[f];
        }
    }
    if (scope->zip_code != 0) {
        conditions->field[conditions->count] = Q32;
        conditions->code[conditions->count++] = scope->zip_code;
    }
    conditions->groups = scope->by == BY_ANSWERS ? nullptr : group_slot[scope->by];
    conditions->group_field =
        scope->by == BY_ANSWERS ? 0 : FIRST_DEMOGRAPHIC_FIELD + demographic_list(scope->by)->filter;
    return 1;
}

int in_scope(const Conditions *conditions, const int32_t *fields)
{
    for (int k = 0; k < conditions->count; k++)
        if (fields[conditions->field[k]] != conditions->code[k])
            return 0;
    return 1;
}

int group_of(const Conditions *conditions, const int32_t *fields)
{
    uint32_t code = (uint32_t)fields[conditions->group_field];
    return conditions->groups && code < LOOKED_UP_CODES ? conditions->groups[code] : 0;
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
    if (wilson_interval(matching, respondents, &interval)) {
        row->low = (float)(interval.low * 100.0);
        row->high = (float)(interval.high * 100.0);
    }
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
void test_independence(const Crosstab *table, int group_count, Breakdown *breakdown)
{
    int32_t group_total[CROSSTAB_GROUPS] = {}, answer_total[CROSSTAB_ANSWERS] = {}, n = 0;
    for (int g = 1; g < group_count; g++) {
        for (int a = 0; a < CROSSTAB_ANSWERS; a++) {
            group_total[g] += table->cells[g][a];
            answer_total[a] += table->cells[g][a];
        }
        n += group_total[g];
    }
    int groups = 0, answers = 0;
    for (int g = 1; g < group_count; g++)
        groups += group_total[g] > 0;
    for (int a = 0; a < CROSSTAB_ANSWERS; a++)
        answers += answer_total[a] > 0;
    if (groups < 2 || answers < 2)
        return;
    double sum = 0.0;
    int small = 0, below_one = 0;
    for (int g = 1; g < group_count; g++) {
        for (int a = 0; a < CROSSTAB_ANSWERS; a++) {
            if (group_total[g] == 0 || answer_total[a] == 0)
                continue;
            double expected = (double)group_total[g] * (double)answer_total[a] / (double)n;
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
    Conditions conditions;
    if (!catalogue_entry(question) || !read_scope(scope, &conditions))
        return 0;
    const int field = asked_field[question];
    const RespondentRecord *records = record_data();
    int32_t count = record_count();
    for (int32_t r = 0; r < count; r++) {
        const int32_t *fields = records[r].field;
        if (in_scope(&conditions, fields))
            table->cells[group_of(&conditions, fields)][answer_of(question, fields[field])]++;
    }
    return 1;
}

int count_survey_crosstabs(const BreakdownScope *scope)
{
    memset(survey_cells, 0, sizeof survey_cells);
    Conditions conditions;
    if (!read_scope(scope, &conditions))
        return 0;
    const RespondentRecord *records = record_data();
    int32_t count = record_count();
    for (int32_t r = 0; r < count; r++) {
        const int32_t *fields = records[r].field;
        if (!in_scope(&conditions, fields))
            continue;
        int32_t(*answers)[CROSSTAB_ANSWERS] = survey_cells[group_of(&conditions, fields)];
        for (int q = 0; q < CATALOGUE_SIZE; q++)
            answers[q][answer_of(q, fields[asked_field[q]])]++;
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
    int32_t group_total[CROSSTAB_GROUPS] = {}, answer_total[CROSSTAB_ANSWERS] = {}, total = 0;
    for (int g = 0; g < CROSSTAB_GROUPS; g++) {
        for (int a = 0; a < CROSSTAB_ANSWERS; a++) {
            group_total[g] += table->cells[g][a];
            answer_total[a] += table->cells[g][a];
        }
        total += group_total[g];
    }
    BreakdownRow *rows = breakdown->rows;
    if (!list) {
        for (int a = 0; a < entry->answer_count; a++)
            describe_row(ROW_ANSWER, a, total, answer_total[a], &rows[breakdown->row_count++]);
        if (answer_total[CROSSTAB_OTHER] > 0)
            describe_row(ROW_OTHER_CODES, CROSSTAB_OTHER, total, answer_total[CROSSTAB_OTHER],
                         &rows[breakdown->row_count++]);
        return 1;
    }
    describe_row(ROW_ALL, 0, total, answer_total[answer], &rows[breakdown->row_count++]);
    for (int g = 1; g < list->choice_count; g++)
        describe_row(ROW_GROUP, g, group_total[g], table->cells[g][answer], &rows[breakdown->row_count++]);
    compare_groups(breakdown);
    test_independence(table, list->choice_count, breakdown);
    return 1;
}

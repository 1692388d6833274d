#include "stats/breakdown_text.h"

#include <stdio.h>
#include <string.h>

#include "stats/area_stats.h"
#include "stats/number_format.h"

namespace {

// Below this p-value the groups' answers differ.
const double significance_level = 0.05;

const char *const titles[BREAKDOWN_COLUMNS] = {"", "Matching", "Respondents", "Share",
                                               "95% interval", "vs all", "Note"};

// The numbers of a row as the copy and the table write them.
enum BreakdownValue {
    VALUE_LABEL, VALUE_RESPONDENTS, VALUE_MATCHING, VALUE_PERCENT, VALUE_LOW, VALUE_HIGH,
    VALUE_PERCENT_ALL, VALUE_DIFFERENCE, VALUE_COMPARED, VALUE_NOTE, VALUE_CHI_SQUARE, VALUE_DF,
    VALUE_P
};

const int answer_values[] = {VALUE_LABEL, VALUE_RESPONDENTS, VALUE_MATCHING, VALUE_PERCENT,
                             VALUE_LOW, VALUE_HIGH};
const int group_values[] = {VALUE_LABEL, VALUE_RESPONDENTS, VALUE_MATCHING, VALUE_PERCENT,
                            VALUE_LOW, VALUE_HIGH, VALUE_DIFFERENCE, VALUE_COMPARED, VALUE_NOTE};
const char *const answer_names[] = {"answer", "respondents", "matching", "percent",
                                    "interval_low_95", "interval_high_95"};
const char *const group_names[] = {"group", "respondents", "matching", "percent", "interval_low_95",
                                   "interval_high_95", "difference_points", "compared", "note"};
// The table's cells after the question, answer, filters, zip code and list.
const int table_values[] = {VALUE_LABEL, VALUE_RESPONDENTS, VALUE_MATCHING, VALUE_PERCENT,
                            VALUE_LOW, VALUE_HIGH, VALUE_PERCENT_ALL, VALUE_DIFFERENCE,
                            VALUE_COMPARED, VALUE_CHI_SQUARE, VALUE_DF, VALUE_P};

#define COUNT(a) (int)(sizeof a / sizeof a[0])

const char *answer_label(int question, int position)
{
    return position == CROSSTAB_OTHER ? "(other codes)" : catalogue_entry(question)->answers[position].text;
}

int by_answers(const Breakdown *breakdown)
{
    return breakdown->scope.by == BY_ANSWERS;
}

// The columns whose cells are empty without respondents.
int needs_respondents(int column)
{
    return column >= BREAKDOWN_SHARE;
}

// The Note: small groups are flagged; a row without respondents has none.
const char *note_of(const BreakdownRow *row)
{
    return row->respondents > 0 && row->few ? "few respondents" : "";
}

void breakdown_value(const Breakdown *breakdown, const BreakdownRow *row, int value, char *text,
                     size_t size)
{
    const BreakdownRow &all = breakdown->rows[0];
    int group = row->kind == ROW_GROUP;
    text[0] = '\0';
    switch (value) {
    case VALUE_LABEL: snprintf(text, size, "%s", breakdown_row_label(breakdown, row)); break;
    case VALUE_RESPONDENTS: snprintf(text, size, "%d", (int)row->respondents); break;
    case VALUE_MATCHING: snprintf(text, size, "%d", (int)row->matching); break;
    case VALUE_PERCENT:
        if (row->respondents > 0)
            format_percent(row->matching, row->respondents, text, size);
        break;
    case VALUE_LOW:
    case VALUE_HIGH:
        if (row->respondents > 0)
            format_percent_value(value == VALUE_LOW ? row->low : row->high, 2, 0, text, size);
        break;
    case VALUE_PERCENT_ALL:
        // By answers each row is its answer among all respondents.
        if (by_answers(breakdown))
            breakdown_value(breakdown, row, VALUE_PERCENT, text, size);
        else if (all.respondents > 0)
            format_percent(all.matching, all.respondents, text, size);
        break;
    case VALUE_DIFFERENCE:
        if (group && row->respondents > 0)
            format_percent_value(row->difference, 2, 0, text, size);
        break;
    case VALUE_COMPARED: snprintf(text, size, "%s", comparison_text(row->compared)); break;
    case VALUE_NOTE: snprintf(text, size, "%s", note_of(row)); break;
    case VALUE_CHI_SQUARE:
        if (breakdown->tested)
            format_percent_value((float)breakdown->chi_square, 2, 0, text, size);
        break;
    case VALUE_DF:
        if (breakdown->tested)
            snprintf(text, size, "%d", breakdown->df);
        break;
    case VALUE_P:
        if (breakdown->tested)
            format_p_value(breakdown->p_value, text, size);
        break;
    default: break;
    }
}

// Cells joined by `separator`, then CR LF; each cell quoted where it
// holds the separator, a quote or a line break.
void join_cells(const char *const cells[], int count, char separator, char *text, size_t size)
{
    const char between[2] = {separator, '\0'};
    size_t used = 0;
    for (int c = 0; c < count && used + 3 < size; c++) {
        char quoted[2 * FILTER_TEXT_BYTES + 2];
        quote_cell(cells[c], separator, quoted, sizeof quoted);
        int n = snprintf(text + used, size - used - 2, "%s%s", c > 0 ? between : "", quoted);
        used += n > 0 ? (size_t)n : 0;
        if (used > size - 3)
            used = size - 3;
    }
    memcpy(text + used, "\r\n", 3);
}

}  // namespace

int breakdown_column_count(int by)
{
    return by == BY_ANSWERS ? BREAKDOWN_VERSUS_ALL : BREAKDOWN_COLUMNS;
}

const char *breakdown_column_title(int by, int column)
{
    if (column < 0 || column >= breakdown_column_count(by))
        return "";
    if (column == BREAKDOWN_LABEL)
        return by == BY_ANSWERS ? "Answer" : "Group";
    return titles[column];
}

const char *breakdown_row_label(const Breakdown *breakdown, const BreakdownRow *row)
{
    switch (row->kind) {
    case ROW_ANSWER:
    case ROW_OTHER_CODES: return answer_label(breakdown->question, row->position);
    case ROW_GROUP: return demographic_list(breakdown->scope.by)->texts[row->position];
    default: return "All";
    }
}

void breakdown_cell(const Breakdown *breakdown, const BreakdownRow *row, int column, char *text,
                    size_t size)
{
    char low[16], high[16];
    text[0] = '\0';
    if (column < 0 || column >= breakdown_column_count(breakdown->scope.by) ||
        (needs_respondents(column) && row->respondents == 0))
        return;
    switch (column) {
    case BREAKDOWN_LABEL: snprintf(text, size, "%s", breakdown_row_label(breakdown, row)); break;
    case BREAKDOWN_MATCHING: format_count(row->matching, text, size); break;
    case BREAKDOWN_RESPONDENTS: format_count(row->respondents, text, size); break;
    case BREAKDOWN_SHARE:
        format_percent(row->matching, row->respondents, low, sizeof low);
        snprintf(text, size, "%s%%", low);
        break;
    case BREAKDOWN_INTERVAL:
        format_percent_value(row->low, 1, 0, low, sizeof low);
        format_percent_value(row->high, 1, 0, high, sizeof high);
        snprintf(text, size, "%s\x96%s%%", low, high);
        break;
    case BREAKDOWN_VERSUS_ALL:
        if (row->kind == ROW_GROUP) {
            format_percent_value(row->difference, 1, 1, low, sizeof low);
            snprintf(text, size, "%s %s", low, comparison_text(row->compared));
        }
        break;
    default: snprintf(text, size, "%s", note_of(row)); break;
    }
}

int compare_breakdown_rows(const BreakdownRow *a, const BreakdownRow *b, int column, int descending)
{
    if ((a->kind == ROW_ALL) != (b->kind == ROW_ALL))
        return a->kind == ROW_ALL ? -1 : 1;
    if (needs_respondents(column) && (a->respondents == 0) != (b->respondents == 0))
        return a->respondents == 0 ? 1 : -1;
    int order = 0;
    switch (column) {
    case BREAKDOWN_MATCHING: order = compare_numbers(a->matching, b->matching); break;
    case BREAKDOWN_RESPONDENTS: order = compare_numbers(a->respondents, b->respondents); break;
    case BREAKDOWN_SHARE: order = compare_numbers(a->share, b->share); break;
    case BREAKDOWN_INTERVAL:
        order = compare_numbers(a->low, b->low);
        if (order == 0)
            order = compare_numbers(a->high, b->high);
        break;
    case BREAKDOWN_VERSUS_ALL: order = compare_numbers(a->difference, b->difference); break;
    case BREAKDOWN_NOTE:
        if (*note_of(a) != *note_of(b))
            return *note_of(a) ? -1 : 1;
        break;
    default: break;
    }
    if (order == 0)
        return compare_numbers(a->position, b->position) * (column == BREAKDOWN_LABEL && descending ? -1 : 1);
    return descending ? -order : order;
}

void breakdown_summary(const Breakdown *breakdown, char *text, size_t size)
{
    const BreakdownScope &scope = breakdown->scope;
    char name[16], where[32] = "";
    question_name(breakdown->question, name, sizeof name);
    if (scope.zip_code != 0)
        snprintf(where, sizeof where, " in zip %d", (int)scope.zip_code);
    if (scope.by == BY_ANSWERS) {
        char respondents[16];
        int32_t total = breakdown->row_count > 0 ? breakdown->rows[0].respondents : 0;
        format_count(total, respondents, sizeof respondents);
        snprintf(text, size, "%s%s: %s respondent%s", name, where, respondents, total == 1 ? "" : "s");
        return;
    }
    const DemographicList *list = demographic_list(scope.by);
    size_t used = (size_t)snprintf(text, size, "%s%s by %s: ", name, where, list->label);
    if (used >= size)
        return;
    if (!breakdown->tested) {
        snprintf(text + used, size - used, "too few groups to compare");
    } else {
        char chi_square[24], p[16];
        format_percent_value((float)breakdown->chi_square, 2, 0, chi_square, sizeof chi_square);
        format_p_shown(breakdown->p_value, p, sizeof p);
        snprintf(text + used, size - used, "%s between groups (chi-square %s, df %d, p %s%s)%s",
                 breakdown->p_value < significance_level ? "the answers differ" : "no clear difference",
                 chi_square, breakdown->df, p[0] == '<' ? "" : "= ", p,
                 breakdown->sparse ? "; few respondents per cell, read with care" : "");
    }
    int32_t code = scope.filters[list->filter];
    if (code != 0) {
        used = strlen(text);
        int position = demographic_position(list, code);
        if (position != 0)
            snprintf(text + used, size - used, "; %s is filtered to %s", list->label, list->texts[position]);
        else
            snprintf(text + used, size - used, "; %s is filtered to %d", list->label, (int)code);
    }
}

void breakdown_header_line(int by, char *text, size_t size)
{
    if (by == BY_ANSWERS)
        join_cells(answer_names, COUNT(answer_names), '\t', text, size);
    else
        join_cells(group_names, COUNT(group_names), '\t', text, size);
}

void breakdown_row_line(const Breakdown *breakdown, const BreakdownRow *row, char *text, size_t size)
{
    const int *values = by_answers(breakdown) ? answer_values : group_values;
    int count = by_answers(breakdown) ? COUNT(answer_values) : COUNT(group_values);
    char cells[COUNT(group_values)][BREAKDOWN_CELL_BYTES];
    const char *pointers[COUNT(group_values)];
    for (int c = 0; c < count; c++) {
        breakdown_value(breakdown, row, values[c], cells[c], sizeof cells[c]);
        pointers[c] = cells[c];
    }
    join_cells(pointers, count, '\t', text, size);
}

const char breakdown_table_header[] =
    "question,answer,filters,zip_code,by,group,respondents,matching,percent,interval_low_95,"
    "interval_high_95,percent_all,difference_points,compared,chi_square,df,p_value";

int emit_breakdown_lines(const Breakdown *breakdown, int position, CountsLineSink emit, void *context)
{
    enum {
        LEADING = 5,
        CELLS = LEADING + COUNT(table_values),
        // Every cell quoted at its longest.
        TABLE_LINE_BYTES = 2 * (FILTER_TEXT_BYTES + QUESTION_TEXT_BYTES + CELLS * BREAKDOWN_CELL_BYTES)
    };
    const BreakdownScope &scope = breakdown->scope;
    const QuestionEntry *entry = catalogue_entry(breakdown->question);
    char filters[FILTER_TEXT_BYTES], zip[16];
    format_filter_settings(scope.filters, filters, sizeof filters);
    if (scope.zip_code != 0)
        snprintf(zip, sizeof zip, "%d", (int)scope.zip_code);
    else
        snprintf(zip, sizeof zip, "all");
    char cells[COUNT(table_values)][BREAKDOWN_CELL_BYTES];
    const char *pointers[CELLS] = {entry->text, "", filters, zip,
                                   by_answers(breakdown) ? "none" : demographic_list(scope.by)->label};
    for (int c = 0; c < COUNT(table_values); c++)
        pointers[LEADING + c] = cells[c];
    for (int r = 0; r < breakdown->row_count; r++) {
        const BreakdownRow *row = &breakdown->rows[r];
        if (by_answers(breakdown) && position != -1 && row->position != position)
            continue;
        for (int c = 0; c < COUNT(table_values); c++)
            breakdown_value(breakdown, row, table_values[c], cells[c], sizeof cells[c]);
        // By answers each row is an answer among all in the scope; by a
        // list, a group's share of the breakdown's answer.
        if (by_answers(breakdown)) {
            pointers[1] = cells[0];
            pointers[LEADING] = "All";
        } else {
            pointers[1] = answer_label(breakdown->question, breakdown->answer);
        }
        char line[TABLE_LINE_BYTES];
        join_cells(pointers, CELLS, ',', line, sizeof line);
        if (!emit(context, line, strlen(line)))
            return 0;
    }
    return 1;
}

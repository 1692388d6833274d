#include "stats/area_list.h"

#include <stdio.h>
#include <string.h>

#include "stats/number_format.h"

namespace {

const char *const titles[AREA_COLUMNS] = {"Zip",        "Respondents", "Matching", "Share",
                                          "95% interval", "vs average", "Smoothed", "z",
                                          "p (all)",    "Note"};

// The columns whose cells are empty without a base, or without a
// comparison (which an area without a base never has).
int needs_base(int column)
{
    return column == AREA_SHARE || column == AREA_INTERVAL || column == AREA_VERSUS_AVERAGE;
}

int needs_comparison(int column)
{
    return column == AREA_SMOOTHED || column == AREA_Z || column == AREA_P_ALL;
}

int is_empty(const AreaRow *row, int column)
{
    return (needs_base(column) && row->base == 0) ||
           (needs_comparison(column) && row->compared == COMPARED_NONE);
}

// The cells joined by tabs, then CR LF.
void join_cells(const char *const cells[AREA_COLUMNS], char *text, size_t size)
{
    size_t used = 0;
    text[0] = '\0';
    for (int c = 0; c < AREA_COLUMNS && used < size; c++) {
        int n = snprintf(text + used, size - used, "%s%s", c > 0 ? "\t" : "", cells[c]);
        if (n < 0)
            return;
        used += (size_t)n;
    }
    if (used < size)
        snprintf(text + used, size - used, "\r\n");
}

}  // namespace

const char *area_column_title(int column)
{
    return column >= 0 && column < AREA_COLUMNS ? titles[column] : "";
}

void area_cell(const AreaRow *row, int column, char *text, size_t size)
{
    char low[16], high[16];
    if (is_empty(row, column))
        column = AREA_COLUMNS;
    switch (column) {
    case AREA_ZIP: snprintf(text, size, "%d", (int)row->zip_code); break;
    case AREA_RESPONDENTS: snprintf(text, size, "%d", (int)row->base); break;
    case AREA_MATCHING: snprintf(text, size, "%d", (int)row->matching); break;
    case AREA_SHARE:
        format_percent(row->matching, row->base, low, sizeof low);
        snprintf(text, size, "%s%%", low);
        break;
    case AREA_INTERVAL:
        format_percent_value(row->low, 1, 0, low, sizeof low);
        format_percent_value(row->high, 1, 0, high, sizeof high);
        snprintf(text, size, "%s\x96%s%%", low, high);
        break;
    case AREA_VERSUS_AVERAGE: format_percent_value(row->difference, 1, 1, text, size); break;
    case AREA_SMOOTHED:
        format_percent_value(row->smoothed, 2, 0, low, sizeof low);
        snprintf(text, size, "%s%%", low);
        break;
    case AREA_Z: format_percent_value((float)row->z, 2, 1, text, size); break;
    case AREA_P_ALL: format_p_shown(row->p_all, text, size); break;
    case AREA_NOTE: {
        // The note flags what stands out, and what the area's interval
        // alone would; "not different" does not.
        char side[AREA_CELL_BYTES] = "";
        if (apart_alone_only(row))
            once_all_compared_text(side, sizeof side);
        else if (row->compared != COMPARED_NOT_DIFFERENT)
            snprintf(side, sizeof side, "%s", comparison_text(row->compared));
        snprintf(text, size, "%s%s%s", side, *side && row->few ? ", " : "",
                 row->few ? "few respondents" : "");
        break;
    }
    default: snprintf(text, size, "%s", ""); break;
    }
}

int compare_area_rows(const AreaRow *a, const AreaRow *b, int column, int descending)
{
    int order = 0;
    if (is_empty(a, column) != is_empty(b, column))
        return is_empty(a, column) ? 1 : -1;
    switch (column) {
    case AREA_RESPONDENTS: order = compare_numbers(a->base, b->base); break;
    case AREA_MATCHING: order = compare_numbers(a->matching, b->matching); break;
    case AREA_SHARE: order = compare_numbers(a->share, b->share); break;
    case AREA_INTERVAL:
        order = compare_numbers(a->low, b->low);
        if (order == 0)
            order = compare_numbers(a->high, b->high);
        break;
    case AREA_VERSUS_AVERAGE: order = compare_numbers(a->difference, b->difference); break;
    case AREA_SMOOTHED: order = compare_numbers(a->smoothed, b->smoothed); break;
    case AREA_Z: order = compare_numbers(a->z, b->z); break;
    case AREA_P_ALL: order = compare_numbers(a->p_all, b->p_all); break;
    case AREA_NOTE: {
        char note_a[AREA_CELL_BYTES], note_b[AREA_CELL_BYTES];
        area_cell(a, AREA_NOTE, note_a, sizeof note_a);
        area_cell(b, AREA_NOTE, note_b, sizeof note_b);
        if ((note_a[0] == '\0') != (note_b[0] == '\0'))
            return note_a[0] == '\0' ? 1 : -1;
        order = strcmp(note_a, note_b);
        break;
    }
    default: break;
    }
    if (order == 0)
        return compare_numbers(a->zip_code, b->zip_code) * (column == AREA_ZIP && descending ? -1 : 1);
    return descending ? -order : order;
}

void area_header_line(char *text, size_t size)
{
    join_cells(titles, text, size);
}

void area_row_line(const AreaRow *row, char *text, size_t size)
{
    char cells[AREA_COLUMNS][AREA_CELL_BYTES];
    const char *pointers[AREA_COLUMNS];
    for (int c = 0; c < AREA_COLUMNS; c++) {
        area_cell(row, c, cells[c], sizeof cells[c]);
        pointers[c] = cells[c];
    }
    join_cells(pointers, text, size);
}

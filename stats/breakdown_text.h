// A breakdown in words: the Breakdown panel's columns, cells, sort order
// and text line, its rows as tab-separated lines for the clipboard, and
// the table quorvel-counts --by writes.
#pragma once

#include <stddef.h>

#include "stats/breakdown.h"
#include "stats/counts_file.h"

enum BreakdownColumn {
    BREAKDOWN_LABEL, BREAKDOWN_MATCHING, BREAKDOWN_RESPONDENTS, BREAKDOWN_SHARE, BREAKDOWN_INTERVAL,
    BREAKDOWN_VERSUS_ALL, BREAKDOWN_NOTE,
    BREAKDOWN_COLUMNS
};

enum {
    BREAKDOWN_CELL_BYTES = ANSWER_TEXT_BYTES,
    // The text line at its longest: the question's name, a list's label
    // and text, the test's numbers and both remarks.
    BREAKDOWN_TEXT_BYTES = 320,
    // Every copied cell at its longest with its tab, then CR LF and NUL;
    // the text line fits too.
    BREAKDOWN_LINE_BYTES = 9 * BREAKDOWN_CELL_BYTES + 3
};

// By answers the first five columns, by a list all seven.
int breakdown_column_count(int by);
// "Answer" or "Group", "Matching", "Respondents", "Share", "95% interval",
// "vs all", "Note"; "" outside the columns.
const char *breakdown_column_title(int by, int column);
// A row's name: its answer's text, "(other codes)", "All" or its group's
// text.
const char *breakdown_row_label(const Breakdown *breakdown, const BreakdownRow *row);
// "Yes", "43", "58", "74.14%", "61.6–83.7%", "+4.4 above", "few
// respondents"; the share and its statistics are empty without
// respondents, and the All row has no "vs all".
void breakdown_cell(const Breakdown *breakdown, const BreakdownRow *row, int column, char *text,
                    size_t size);
// Where row a goes against row b when the column sorts ascending or
// descending: the All row first, then by the column, rows without
// respondents last where the column needs them, ties in list order.  The
// first column sorts in list order.
int compare_breakdown_rows(const BreakdownRow *a, const BreakdownRow *b, int column, int descending);

// The text line: "Q28: 1,320 respondents", "Q28 in zip 77004: 43
// respondents"; by a list "Q20 by Income: the answers differ between
// groups (chi-square 30.07, df 2, p < 0.001)", "... no clear difference
// between groups (...)" or "...: too few groups to compare", with a remark
// where the expected counts are small and where the list is filtered.
void breakdown_summary(const Breakdown *breakdown, char *text, size_t size);

// The copied rows: a header line, then a line per row, tab-separated with
// the numbers at full length, each ended by CR LF.  By answers: answer,
// respondents, matching, percent, interval_low_95, interval_high_95; by a
// list: group, the same, difference_points, compared, note.
void breakdown_header_line(int by, char *text, size_t size);
void breakdown_row_line(const Breakdown *breakdown, const BreakdownRow *row, char *text, size_t size);

// The table's column names.
extern const char breakdown_table_header[];
// Hands a breakdown's lines of the table to `emit`, CR LF included, each
// naming its question, answer, filters, zip code and list: by a list a
// line per row; by answers a line per row, or for the row at `position`
// alone when that is not -1.  1, or 0 as soon as `emit` returns 0.
int emit_breakdown_lines(const Breakdown *breakdown, int position, CountsLineSink emit, void *context);
